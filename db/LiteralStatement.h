// Takes a literal INSERT apart into its shape and its values, so that inserts differing only in
// their values can share one prepared SQLite statement.
#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <string>
#include <string_view>
#include <vector>

// One literal of a statement, in the order written.
struct Literal {
    enum class Kind {
        Text,    // '...': bound as UTF-8 text, '' read as one quote
        Integer, // digits only, within 64 bits: bound as an integer
        Real,    // a point, an exponent or beyond 64 bits: bound as written, converted by SQLite
    };
    Kind kind = Kind::Text;
    qint64 integer = 0;   // Integer only
    qsizetype offset = 0; // Text and Real: the value's bytes in LiteralStatement::bytes
    qsizetype size = 0;
};

struct LiteralStatement {
    // The statement with each Text and Integer literal replaced by "?" and each Real one by
    // "+CAST(? AS REAL)", everything else as written.
    std::string shape;
    // The Text values (unquoted) and Real values (as written), one after another.
    std::string bytes;
    std::vector<Literal> literals;

    std::string_view valueBytes(const Literal& literal) const {
        return std::string_view(bytes).substr(std::size_t(literal.offset),
                                              std::size_t(literal.size));
    }
};

// Splits `sql` (UTF-8) into `out`, reusing its buffers, and returns true when it is one INSERT
// of values made only of words, operators, punctuation, whitespace, '...' strings and decimal
// numbers, and binding its literals to its shape stores exactly what the text would store.
// Returns false, with `out` holding nothing of use, for anything else: comments, blobs X'..', hex
// numbers, parameters (? :a @a $a #a), "..." `...` and [...] names, a ";", a statement that does
// not begin with INSERT or that holds SELECT or ORDER (a literal there can name a column), a
// NUL byte, an unterminated string, a number running into a name (1e, 0x1), the number
// 9223372036854775808 (a minus sign in front makes it an integer), a zero with a point or
// exponent after a minus sign and any "(" (written so, it is a negative zero), and a real number
// anywhere but after an operator, "(" or "," (the unary plus of its shape could change the parse).
bool splitLiterals(QByteArrayView sql, LiteralStatement& out);

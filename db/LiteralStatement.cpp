#include "db/LiteralStatement.h"

#include <array>
#include <limits>

namespace {

// The character classes of SQLite's own tokenizer, restricted to what a simple statement may
// hold; whatever is in none of them makes a statement not simple.
enum : unsigned char {
    kSpace = 1,
    kDigit = 2,
    kStartsWord = 4,
    kContinuesWord = 8,
    kOperator = 16,
};

constexpr std::array<unsigned char, 256> kClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (const char c : {' ', '\t', '\n', '\f', '\r'}) {
        classes[static_cast<unsigned char>(c)] = kSpace;
    }
    for (int c = '0'; c <= '9'; ++c) {
        classes[c] = kDigit | kContinuesWord;
    }
    for (int c = 0; c < 256; ++c) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80) {
            classes[c] = kStartsWord | kContinuesWord;
        }
    }
    classes['$'] = kContinuesWord;
    for (const char c :
         {'(', ')', ',', '.', '+', '-', '*', '/', '%', '=', '<', '>', '!', '|', '&', '~'}) {
        classes[static_cast<unsigned char>(c)] = kOperator;
    }
    return classes;
}();

bool is(char c, unsigned char classes) {
    return (kClasses[static_cast<unsigned char>(c)] & classes) != 0;
}

bool isDigit(char c) {
    return is(c, kDigit);
}

// After these an operand starts, so a unary plus there leaves the parse as it was: after a name,
// a literal or ")", "+CAST(...)" could join what came before into an expression the literal
// text would not have formed.
bool operandMayFollow(char c) {
    return c != ')' && c != '.' && is(c, kOperator);
}

// Whether the word is `upper` in any case.
template <qsizetype N>
bool isWord(QByteArrayView word, const char (&upper)[N]) {
    if (word.size() != N - 1) {
        return false;
    }
    for (qsizetype i = 0; i < N - 1; ++i) {
        const char c = word[i];
        if ((c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c) != upper[i]) {
            return false;
        }
    }
    return true;
}

enum class Previous { Nothing, Word, Literal, Operator };

} // namespace

bool splitLiterals(QByteArrayView sql, LiteralStatement& out) {
    // clear() keeps the capacity for the next statement.
    out.shape.clear();
    out.bytes.clear();
    out.literals.clear();
    out.shape.reserve(std::size_t(sql.size()) + 64);

    const qsizetype n = sql.size();
    Previous previous = Previous::Nothing;
    char previousOperator = 0;
    // A minus sign followed by nothing but "(": SQLite negates a number written there itself.
    bool negated = false;
    // Text between literals goes into the shape unchanged, a stretch at a time.
    qsizetype copied = 0;
    const auto replace = [&](qsizetype start, qsizetype end, const char* parameter) {
        out.shape.append(sql.data() + copied, std::size_t(start - copied));
        out.shape.append(parameter);
        copied = end;
    };
    qsizetype i = 0;
    while (i < n) {
        const char c = sql[i];
        if (is(c, kSpace)) {
            ++i;
            continue;
        }
        if (c == '\'') {
            const qsizetype start = i;
            Literal literal;
            literal.kind = Literal::Kind::Text;
            literal.offset = qsizetype(out.bytes.size());
            ++i;
            qsizetype stretch = i;
            for (;;) {
                if (i >= n || sql[i] == '\0') {
                    return false;
                }
                if (sql[i] == '\'') {
                    if (i + 1 < n && sql[i + 1] == '\'') {
                        // '' is one quote: keep the first.
                        out.bytes.append(sql.data() + stretch, std::size_t(i + 1 - stretch));
                        i += 2;
                        stretch = i;
                        continue;
                    }
                    out.bytes.append(sql.data() + stretch, std::size_t(i - stretch));
                    ++i;
                    break;
                }
                ++i;
            }
            literal.size = qsizetype(out.bytes.size()) - literal.offset;
            out.literals.push_back(literal);
            replace(start, i, "?");
            previous = Previous::Literal;
            negated = false;
            continue;
        }
        if (isDigit(c) || (c == '.' && i + 1 < n && isDigit(sql[i + 1]))) {
            const qsizetype start = i;
            bool real = false;
            bool zero = true;
            while (i < n && isDigit(sql[i])) {
                zero = zero && sql[i] == '0';
                ++i;
            }
            if (i < n && sql[i] == '.') {
                real = true;
                ++i;
                while (i < n && isDigit(sql[i])) {
                    zero = zero && sql[i] == '0';
                    ++i;
                }
            }
            if (i < n && (sql[i] == 'e' || sql[i] == 'E')) {
                const qsizetype digits =
                    i + 1 < n && (sql[i + 1] == '+' || sql[i + 1] == '-') ? i + 2 : i + 1;
                if (digits < n && isDigit(sql[digits])) {
                    real = true;
                    i = digits;
                    while (i < n && isDigit(sql[i])) {
                        ++i;
                    }
                }
            }
            // SQLite refuses a number that runs into a name (1e, 0x1F, 12abc): its own message.
            if (i < n && is(sql[i], kContinuesWord)) {
                return false;
            }
            const QByteArrayView text = sql.sliced(start, i - start);
            const bool afterMinus = negated;
            negated = false;
            Literal literal;
            if (!real) {
                qsizetype first = 0;
                while (first + 1 < text.size() && text[first] == '0') {
                    ++first;
                }
                const QByteArrayView digits = text.sliced(first);
                // 2^63 itself: written after a minus sign SQLite reads it as the smallest
                // integer, anywhere else as a real; a bound value cannot be both.
                if (digits == QByteArrayView("9223372036854775808")) {
                    return false;
                }
                qint64 value = 0;
                bool fits = true;
                for (const char digit : digits) {
                    const int d = digit - '0';
                    if (value > (std::numeric_limits<qint64>::max() - d) / 10) {
                        fits = false;
                        break;
                    }
                    value = value * 10 + d;
                }
                if (fits) {
                    literal.kind = Literal::Kind::Integer;
                    literal.integer = value;
                    out.literals.push_back(literal);
                    replace(start, i, "?");
                    previous = Previous::Literal;
                    continue;
                }
            }
            // A real is converted by SQLite itself from the text as written. After a minus sign
            // a zero literal is negated to -0.0, while the operator on a value gives 0.0.
            if ((real && zero && afterMinus) || previous != Previous::Operator ||
                !operandMayFollow(previousOperator)) {
                return false;
            }
            literal.kind = Literal::Kind::Real;
            literal.offset = qsizetype(out.bytes.size());
            literal.size = text.size();
            out.bytes.append(text.data(), std::size_t(text.size()));
            out.literals.push_back(literal);
            // CAST alone would carry REAL affinity into comparisons; the unary plus drops it,
            // as a literal has none.
            replace(start, i, "+CAST(? AS REAL)");
            previous = Previous::Literal;
            continue;
        }
        if (is(c, kStartsWord)) {
            const qsizetype start = i;
            while (i < n && is(sql[i], kContinuesWord)) {
                ++i;
            }
            const QByteArrayView word = sql.sliced(start, i - start);
            if (previous == Previous::Nothing && !isWord(word, "INSERT")) {
                return false;
            }
            // X'..' is a blob. After SELECT or ORDER a literal can name a result column
            // (ORDER BY 2) or be read while the statement is prepared.
            if ((word.size() == 1 && (c == 'x' || c == 'X') && i < n && sql[i] == '\'') ||
                isWord(word, "SELECT") || isWord(word, "ORDER")) {
                return false;
            }
            previous = Previous::Word;
            negated = false;
            continue;
        }
        if (is(c, kOperator)) {
            if ((c == '-' && i + 1 < n && sql[i + 1] == '-') ||
                (c == '/' && i + 1 < n && sql[i + 1] == '*') || previous == Previous::Nothing) {
                return false;
            }
            previous = Previous::Operator;
            previousOperator = c;
            negated = c == '-' || (c == '(' && negated);
            ++i;
            continue;
        }
        // Parameters, quoted names, ";", NUL and anything SQLite would not take.
        return false;
    }
    out.shape.append(sql.data() + copied, std::size_t(n - copied));
    return previous != Previous::Nothing;
}

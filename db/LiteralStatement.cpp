#include "db/LiteralStatement.h"

#include <limits>

namespace {

// The character classes of SQLite's own tokenizer, restricted to what a simple statement may
// hold; whatever is not named here makes a statement not simple.
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool startsWord(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool continuesWord(char c) {
    return startsWord(c) || isDigit(c) || c == '$';
}

bool isOperator(char c) {
    switch (c) {
    case '(':
    case ')':
    case ',':
    case '.':
    case '+':
    case '-':
    case '*':
    case '/':
    case '%':
    case '=':
    case '<':
    case '>':
    case '!':
    case '|':
    case '&':
    case '~':
        return true;
    default:
        return false;
    }
}

// After these an operand starts, so a unary plus there leaves the parse as it was: after a name,
// a literal or ")", "+CAST(...)" could join what came before into an expression the literal
// text would not have formed.
bool operandMayFollow(char c) {
    return c != ')' && c != '.' && isOperator(c);
}

bool isWord(QByteArrayView word, const char* upper) {
    qsizetype i = 0;
    for (; i < word.size() && upper[i] != '\0'; ++i) {
        const char c = word[i];
        if ((c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c) != upper[i]) {
            return false;
        }
    }
    return i == word.size() && upper[i] == '\0';
}

enum class Previous { Nothing, Word, Literal, Operator };

} // namespace

bool splitLiterals(QByteArrayView sql, LiteralStatement& out) {
    // resize(0) keeps the capacity, where clear() would give it back.
    out.shape.resize(0);
    out.bytes.resize(0);
    out.literals.clear();
    out.shape.reserve(sql.size() + 64);

    const qsizetype n = sql.size();
    Previous previous = Previous::Nothing;
    char previousOperator = 0;
    // A minus sign followed by nothing but "(": SQLite negates a number written there itself.
    bool negated = false;
    // Text between literals goes into the shape unchanged, a stretch at a time.
    qsizetype copied = 0;
    const auto replace = [&](qsizetype start, qsizetype end, const char* parameter) {
        out.shape.append(sql.sliced(copied, start - copied));
        out.shape.append(parameter);
        copied = end;
    };
    qsizetype i = 0;
    while (i < n) {
        const char c = sql[i];
        if (isSpace(c)) {
            ++i;
            continue;
        }
        if (c == '\'') {
            const qsizetype start = i;
            Literal literal;
            literal.kind = Literal::Kind::Text;
            literal.offset = out.bytes.size();
            ++i;
            qsizetype stretch = i;
            for (;;) {
                if (i >= n || sql[i] == '\0') {
                    return false;
                }
                if (sql[i] == '\'') {
                    if (i + 1 < n && sql[i + 1] == '\'') {
                        // '' is one quote: keep the first.
                        out.bytes.append(sql.sliced(stretch, i + 1 - stretch));
                        i += 2;
                        stretch = i;
                        continue;
                    }
                    out.bytes.append(sql.sliced(stretch, i - stretch));
                    ++i;
                    break;
                }
                ++i;
            }
            literal.size = out.bytes.size() - literal.offset;
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
            if (i < n && continuesWord(sql[i])) {
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
            literal.offset = out.bytes.size();
            literal.size = text.size();
            out.bytes.append(text);
            out.literals.push_back(literal);
            // CAST alone would carry REAL affinity into comparisons; the unary plus drops it,
            // as a literal has none.
            replace(start, i, "+CAST(? AS REAL)");
            previous = Previous::Literal;
            continue;
        }
        if (startsWord(c)) {
            const qsizetype start = i;
            while (i < n && continuesWord(sql[i])) {
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
        if (isOperator(c)) {
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
    out.shape.append(sql.sliced(copied));
    return previous != Previous::Nothing;
}

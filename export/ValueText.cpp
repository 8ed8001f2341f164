#include "export/ValueText.h"

#include "export/ConversionError.h"
#include "export/ExtendedDecimal.h"
#include "export/RegionalSettings.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr QChar kBlank = u' ';

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int hexDigitValue(QChar c) {
    if (isDigit(c))
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

[[noreturn]] void throwInvalidInteger(const QString& text) {
    throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

[[noreturn]] void throwInvalidFloat(const QString& text) {
    throw ConversionError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

qsizetype skipBlanks(const QString& text, qsizetype i) {
    while (i < text.size() && text[i] == kBlank)
        ++i;
    return i;
}

// ASCII digits from 'i' on, as Latin-1 bytes for the extended reader.
std::string takeDigits(const QString& text, qsizetype& i) {
    std::string digits;
    while (i < text.size() && isDigit(text[i]))
        digits += static_cast<char>(text[i++].unicode());
    return digits;
}

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QChar(u'0'));
}

// 'd', 'm' or 'y' when c is one of the pattern's field letters, in either case; else 0.
char fieldLetter(QChar c) {
    switch (c.unicode()) {
    case u'd':
    case u'D':
        return 'd';
    case u'm':
    case u'M':
        return 'm';
    case u'y':
    case u'Y':
        return 'y';
    default:
        return 0;
    }
}

// Whether 'body' (an amount after the dots were deleted and the commas made points) can go
// into a statement unquoted and be read as the number it shows. The "0" that the zero-prefixed
// rule puts in front supplies a digit when no sign separates it from the rest.
bool isPlainNumber(const QString& body, bool zeroInFront) {
    qsizetype i = 0;
    const bool hasSign = i < body.size() && (body[i] == u'+' || body[i] == u'-');
    if (hasSign)
        ++i;
    int digits = 0;
    int points = 0;
    for (; i < body.size() && body[i] != kBlank; ++i) {
        if (isDigit(body[i]))
            ++digits;
        else if (body[i] != u'.' || ++points > 1)
            return false;
    }
    // Fixed-width character columns pad with blanks; SQL ignores them.
    if (skipBlanks(body, i) != body.size())
        return false;
    return digits > 0 || (zeroInFront && !hasSign);
}

QString pointedAmount(const QString& text) {
    return RetirarPontos(text).replace(u',', u'.');
}

} // namespace

QString quotedText(const QString& text) {
    QString doubled = text;
    doubled.replace(u'\'', QStringLiteral("''"));
    return u'\'' + doubled + u'\'';
}

QString dateText(const QDate& date, const RegionalSettings& settings) {
    const QDate day = date.isValid() ? date : QDate(1899, 12, 30);
    const QString& pattern = settings.shortDatePattern;
    QString result;
    for (qsizetype i = 0; i < pattern.size();) {
        const char field = fieldLetter(pattern[i]);
        qsizetype run = 1;
        while (field != 0 && i + run < pattern.size() && fieldLetter(pattern[i + run]) == field)
            ++run;
        switch (field) {
        case 'y':
            // Any number of y's is one field: two of them or fewer give the two-digit year.
            result += run <= 2 ? twoDigits(day.year() % 100)
                               : QStringLiteral("%1").arg(day.year(), 4, 10, QChar(u'0'));
            i += run;
            break;
        case 'd':
        case 'm': {
            // Longer runs read two letters at a time; host patterns never hold them.
            const int value = field == 'd' ? day.day() : day.month();
            result += run >= 2 ? twoDigits(value) : QString::number(value);
            i += run >= 2 ? 2 : 1;
            break;
        }
        default:
            result += pattern[i] == u'/' ? settings.dateSeparator : pattern[i];
            ++i;
        }
    }
    return result;
}

QString integerText(qint32 value) {
    return QString::number(value);
}

qint32 readInteger(const QString& text) {
    qsizetype i = skipBlanks(text, 0);
    const qsizetype n = text.size();

    qsizetype hexStart = -1;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X'))
        hexStart = i + 1;
    else if (i + 1 < n && text[i] == u'0' && text[i + 1] == u'x')
        hexStart = i + 2;
    if (hexStart >= 0) {
        const qsizetype count = n - hexStart;
        if (count < 1 || count > 8)
            throwInvalidInteger(text);
        quint32 pattern = 0;
        for (qsizetype k = hexStart; k < n; ++k) {
            const int digit = hexDigitValue(text[k]);
            if (digit < 0)
                throwInvalidInteger(text);
            pattern = pattern << 4 | static_cast<quint32>(digit);
        }
        return static_cast<qint32>(pattern);
    }

    const bool negative = i < n && text[i] == u'-';
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    if (i == n)
        throwInvalidInteger(text);
    // Stops growing once past the range, so any number of digits is safe.
    constexpr qint64 kBeyond = qint64(1) << 31;
    qint64 magnitude = 0;
    for (; i < n; ++i) {
        if (!isDigit(text[i]))
            throwInvalidInteger(text);
        if (magnitude <= kBeyond)
            magnitude = magnitude * 10 + (text[i].unicode() - u'0');
    }
    if (magnitude > (negative ? kBeyond : kBeyond - 1))
        throwInvalidInteger(text);
    return static_cast<qint32>(negative ? -magnitude : magnitude);
}

long double readDecimal(const QString& text, const RegionalSettings& settings) {
    const qsizetype n = text.size();
    qsizetype i = skipBlanks(text, 0);

    DecimalParts parts;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        parts.negative = text[i++] == u'-';
    const std::string integerDigits = takeDigits(text, i);
    std::string fractionDigits;
    bool hasSeparator = false;
    if (i < n && text[i] == settings.decimalSeparator) {
        hasSeparator = true;
        ++i;
        fractionDigits = takeDigits(text, i);
    }
    if (integerDigits.empty() && !hasSeparator)
        throwInvalidFloat(text);

    if (i < n && (text[i] == u'E' || text[i] == u'e')) {
        ++i;
        const bool negativeExponent = i < n && text[i] == u'-';
        if (i < n && (text[i] == u'-' || text[i] == u'+'))
            ++i;
        // Saturates: past 10^12 every exponent gives the same overflow or zero.
        long long exponent = 0;
        for (; i < n && isDigit(text[i]); ++i)
            exponent = std::min(exponent * 10 + (text[i].unicode() - u'0'), 1'000'000'000'000LL);
        parts.exponent = negativeExponent ? -exponent : exponent;
    }
    if (skipBlanks(text, i) != n)
        throwInvalidFloat(text);

    parts.integerDigits = integerDigits;
    parts.fractionDigits = fractionDigits;
    const std::optional<long double> value = extendedFromDecimal(parts);
    if (!value)
        throwInvalidFloat(text);
    return *value;
}

QString generalNumber(long double value, const RegionalSettings& settings) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");

    const RoundedDecimal decimal = roundedDecimal(value, 15);
    if (decimal.digits.empty())
        return QStringLiteral("0");
    const QString digits = QString::fromLatin1(decimal.digits);
    const qsizetype count = digits.size();
    const int e = decimal.exponent;

    QString result = decimal.negative ? QStringLiteral("-") : QString();
    if (e > 15 || e < -3) {
        result += digits[0];
        if (count > 1)
            result += settings.decimalSeparator + digits.mid(1);
        result += u'E' + QString::number(e - 1);
    } else if (e <= 0) {
        result += u'0' + QString(settings.decimalSeparator) + QString(-e, u'0') + digits;
    } else if (count <= e) {
        result += digits + QString(e - count, u'0');
    } else {
        result += digits.left(e) + settings.decimalSeparator + digits.mid(e);
    }
    return result;
}

QString counterNumber(const QString& text, const RegionalSettings& settings) {
    return generalNumber(readDecimal(u'0' + text, settings), settings);
}

QString RetirarPontos(const QString& text) {
    QString result = text;
    result.remove(u'.');
    return result;
}

QString zeroPrefixedAmount(const QString& text) {
    const QString body = pointedAmount(text);
    if (!isPlainNumber(body, true))
        throwInvalidFloat(text);
    return u'0' + body;
}

QString amount(const QString& text) {
    const QString body = pointedAmount(text);
    if (!isPlainNumber(body, false))
        throwInvalidFloat(text);
    return body;
}

QString rateNumber(const QString& text, const RegionalSettings& settings) {
    return generalNumber(readDecimal(text, settings), settings).replace(u',', u'.');
}

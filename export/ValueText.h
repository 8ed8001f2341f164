// The rules that turn source values into the literal text of the generated statements.
// Every rule that depends on regional settings takes them as an argument. "Blank" below means
// the space character only.
#pragma once

#include <QDate>
#include <QString>

struct RegionalSettings;

// A single quote, 'text' with every single quote doubled, a single quote: "O'B" gives "'O''B'".
QString quotedText(const QString& text);

// The date written by settings.shortDatePattern (d, dd, m, mm, y/yy, yyy+ in any case; "/" is
// settings.dateSeparator; anything else copied); no time part. A null or invalid date is the
// zero date-time a NULL column reads as, 30 December 1899.
QString dateText(const QDate& date, const RegionalSettings& settings);

// Decimal digits of a 32-bit signed integer, "-" first when negative.
QString integerText(qint32 value);

// Reads a 32-bit signed integer after leading blanks: an optional sign and decimal digits, or
// "$", "x", "X" or "0x" and one to eight hexadecimal digits, which spell the 32-bit pattern
// ("$FFFFFFFF" is -1). Nothing may follow. Throws ConversionError
// "'%s' is not a valid integer value" naming 'text'.
qint32 readInteger(const QString& text);

// Reads a decimal number using settings.decimalSeparator: leading blanks, optional sign, digits,
// optional separator and digits (a lone separator reads as 0), optional E/e with optional sign
// and digits (an E without digits is ignored), trailing blanks. Throws ConversionError
// "'%s' is not a valid floating point value" naming 'text' when anything else is found, when
// there is neither a digit nor a separator, or when the value is beyond the extended range.
long double readDecimal(const QString& text, const RegionalSettings& settings);

// The general number form: at most 15 significant digits rounded half up, trailing zeros
// dropped, settings.decimalSeparator as the point; written d.ddEx when the value is 1e15 or
// more, or below 1e-4, in magnitude. Zero is "0"; non-finite values are "INF", "-INF", "NAN".
QString generalNumber(long double value, const RegionalSettings& settings);

// Reduction and restart counters: "0" + text, read, then the general number form. Throws as
// readDecimal does, naming "0" + text.
QString counterNumber(const QString& text, const RegionalSettings& settings);

// Deletes every "." of the text.
QString RetirarPontos(const QString& text);

// Gross sales and grand total: "0" + text without dots, commas made points. Throws
// ConversionError "'%s' is not a valid floating point value" (naming the source text) when the
// result is not a plain number, since it goes into the statement unquoted: after the "0", an
// optional sign, digits with at most one point (a digit after a sign), then only blanks.
QString zeroPrefixedAmount(const QString& text);

// Item value: the text without dots, commas made points, no "0" in front; checked as above,
// and at least one digit is needed, so an empty text throws too.
QString amount(const QString& text);

// Item rate: read, general number form, commas made points. Throws as readDecimal does.
QString rateNumber(const QString& text, const RegionalSettings& settings);

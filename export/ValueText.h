// The rules that turn source values into the literal text of the generated statements.
// Every rule that depends on regional settings takes them as an argument.
#pragma once

#include <QDate>
#include <QString>

struct RegionalSettings;

// 'text' with every single quote doubled.
QString quotedText(const QString& text);

// The date written by settings.shortDatePattern; no time part.
QString dateText(const QDate& date, const RegionalSettings& settings);

// Decimal digits of a 32-bit signed integer, "-" first when negative.
QString integerText(qint32 value);

// Reads a 32-bit signed integer, decimal or hexadecimal ("$", x, X, 0x). Throws
// ConversionError "'%s' is not a valid integer value".
qint32 readInteger(const QString& text);

// Reads a decimal number using settings.decimalSeparator. Throws ConversionError
// "'%s' is not a valid floating point value".
long double readDecimal(const QString& text, const RegionalSettings& settings);

// The general number form: at most 15 significant digits, exponent form outside 1e-4..1e15.
QString generalNumber(long double value, const RegionalSettings& settings);

// Reduction and restart counters: "0" + text, read, then the general number form.
QString counterNumber(const QString& text, const RegionalSettings& settings);

// Deletes every "." of the text.
QString RetirarPontos(const QString& text);

// Gross sales and grand total: "0" + text without dots, commas made points. Throws
// ConversionError "'%s' is not a valid floating point value" (naming the source text) when the
// result is not a plain number, since it goes into the statement unquoted.
QString zeroPrefixedAmount(const QString& text);

// Item value: the text without dots, commas made points, no "0" in front; checked as above.
QString amount(const QString& text);

// Item rate: read, general number form, commas made points.
QString rateNumber(const QString& text, const RegionalSettings& settings);

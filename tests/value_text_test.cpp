// The value text rules, each as one table of source texts and statement texts. The rules that
// depend on regional settings run under day/month/year with a comma and under month/day/year
// with a point, so that nothing leaks in from the host's own settings.
#include "export/ConversionError.h"
#include "export/RegionalSettings.h"
#include "export/ValueText.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

const RegionalSettings kBrazil{QStringLiteral("dd/mm/yyyy"), u'/', u','};
const RegionalSettings kUnitedStates{QStringLiteral("m/d/yy"), u'/', u'.'};

// What a rule gave: its text, or "error: " and the message the user would read.
template <class Rule>
std::string outcome(Rule rule) {
    try {
        return rule().toStdString();
    } catch (const ConversionError& error) {
        return "error: " + error.message().toStdString();
    }
}

std::string floatError(const char* text) {
    return std::string("error: '") + text + "' is not a valid floating point value";
}

std::string integerError(const char* text) {
    return std::string("error: '") + text + "' is not a valid integer value";
}

QString source(const char* text) {
    return QString::fromUtf8(text);
}

std::string describe(const RegionalSettings& settings) {
    return (settings.shortDatePattern + u' ' + settings.decimalSeparator).toStdString();
}

// A source text and what it becomes under each of the two settings.
struct LocaleCase {
    const char* source;
    std::string brazil;
    std::string unitedStates;
};

template <class Rule>
void checkUnderBoth(const char* ruleName, const std::vector<LocaleCase>& cases, Rule rule) {
    for (const LocaleCase& c : cases) {
        EXPECT_EQ(outcome([&] { return rule(source(c.source), kBrazil); }), c.brazil)
            << ruleName << " of '" << c.source << "' under " << describe(kBrazil);
        EXPECT_EQ(outcome([&] { return rule(source(c.source), kUnitedStates); }), c.unitedStates)
            << ruleName << " of '" << c.source << "' under " << describe(kUnitedStates);
    }
}

// A source text and what it becomes, for the rules that take no settings.
struct TextCase {
    const char* source;
    std::string expected;
};

TEST(ValueText, QuotedTextDoublesEverySingleQuote) {
    const TextCase cases[] = {
        {"O'BRIEN", "'O''BRIEN'"},
        {"", "''"},
        {"'", "''''"},
        {"''x'", "'''''x'''"},
        {" a\"b; -- ", "' a\"b; -- '"},
        {"SUBSTITUIÇÃO", "'SUBSTITUIÇÃO'"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(quotedText(source(c.source)).toStdString(), c.expected) << c.source;
}

TEST(ValueText, DateTextUnderTheTwoSettings) {
    struct DateCase {
        QDate date;
        std::string brazil;
        std::string unitedStates;
    };
    const DateCase cases[] = {
        {QDate(2024, 3, 15), "15/03/2024", "3/15/24"},
        {QDate(2009, 1, 5), "05/01/2009", "1/5/09"},
        {QDate(2000, 12, 31), "31/12/2000", "12/31/00"},
        {QDate(), "30/12/1899", "12/30/99"}, // a NULL date column
    };
    for (const DateCase& c : cases) {
        EXPECT_EQ(dateText(c.date, kBrazil).toStdString(), c.brazil)
            << c.date.toString().toStdString();
        EXPECT_EQ(dateText(c.date, kUnitedStates).toStdString(), c.unitedStates)
            << c.date.toString().toStdString();
    }
}

TEST(ValueText, DateTextFollowsThePatternLanguage) {
    struct PatternCase {
        const char* pattern;
        char16_t separator;
        std::string expected;
    };
    const QDate day(2009, 1, 5);
    const PatternCase cases[] = {
        {"d/m/y", u'-', "5-1-09"},
        {"dd/mm/yy", u'.', "05.01.09"},
        {"DD/MM/YYYY", u'/', "05/01/2009"},
        {"Dd/mM/yYy", u'/', "05/01/2009"},
        {"yyyyy/m/d", u'/', "2009/1/5"},
        {"yyyy-mm-dd", u'/', "2009-01-05"}, // a literal dash is copied
        {"dd.mm.yyyy", u'-', "05.01.2009"},
        {"d/m/yyyy (x)", u' ', "5 1 2009 (x)"},
        {"", u'/', ""},
    };
    for (const PatternCase& c : cases) {
        const RegionalSettings settings{source(c.pattern), c.separator, u','};
        EXPECT_EQ(dateText(day, settings).toStdString(), c.expected)
            << c.pattern << " with separator " << char(c.separator);
    }
}

TEST(ValueText, IntegerText) {
    EXPECT_EQ(integerText(0).toStdString(), "0");
    EXPECT_EQ(integerText(-1).toStdString(), "-1");
    EXPECT_EQ(integerText(250).toStdString(), "250");
    EXPECT_EQ(integerText(std::numeric_limits<qint32>::max()).toStdString(), "2147483647");
    EXPECT_EQ(integerText(std::numeric_limits<qint32>::min()).toStdString(), "-2147483648");
}

TEST(ValueText, ReadInteger) {
    const TextCase cases[] = {
        {"1", "1"},
        {"001", "1"},
        {"   12", "12"},
        {"+7", "7"},
        {"-0", "0"},
        {"00000000000000000000001", "1"},
        {"2147483647", "2147483647"},
        {"-2147483648", "-2147483648"},
        {"2147483648", integerError("2147483648")},
        {"-2147483649", integerError("-2147483649")},
        {"99999999999999999999", integerError("99999999999999999999")},
        {"", integerError("")},
        {"   ", integerError("   ")},
        {"12 ", integerError("12 ")}, // nothing may follow, not even a blank
        {"-", integerError("-")},
        {"1.5", integerError("1.5")},
        {"1,5", integerError("1,5")},
        {"1e3", integerError("1e3")},
        // Hexadecimal: one to eight digits spelling the 32-bit pattern, as the original
        // program read them, so the upper half of the digits gives the negative values.
        {"$FF", "255"},
        {"$ff", "255"},
        {"xFF", "255"},
        {"XFF", "255"},
        {"0xFF", "255"},
        {"  $10", "16"},
        {"$7FFFFFFF", "2147483647"},
        {"0x80000000", "-2147483648"},
        {"$FFFFFFFF", "-1"},
        {"$100000000", integerError("$100000000")},
        {"$000000001", integerError("$000000001")},
        {"$", integerError("$")},
        {"0x", integerError("0x")},
        {"0XFF", integerError("0XFF")}, // the prefixes are "$", x, X and 0x only
        {"-$FF", integerError("-$FF")}, // a sign goes with decimal digits only
        {"$FG", integerError("$FG")},
        {"$F ", integerError("$F ")},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(outcome([&] { return QString::number(readInteger(source(c.source))); }),
                  c.expected)
            << c.source;
    }
}

// Each input in point form is read and written under both settings, its points turned into
// the settings' separator in both the input and the expected text.
TEST(ValueText, GeneralNumberFormOfReadNumbers) {
    const TextCase cases[] = {
        {"0", "0"},
        {"-0", "0"},
        {"0.000", "0"},
        {"1", "1"},
        {"-1.5", "-1.5"},
        {"0.1", "0.1"},
        {"3.3", "3.3"},
        {".5", "0.5"},
        {"5.", "5"},
        {".", "0"},
        {"-.", "0"},
        {"120.50", "120.5"},
        {"1E2", "100"},
        {"123.456E-300", "1.23456E-298"},
        // Fifteen significant digits at most, rounded half up on the decimal digits.
        {"123456789012345", "123456789012345"},
        {"1234567890.12345", "1234567890.12345"},
        {"0.1234567890123425", "0.123456789012343"},
        {"0.1234567890123415", "0.123456789012342"},
        {"0.1234567890123424", "0.123456789012342"},
        {"-0.1234567890123425", "-0.123456789012343"},
        // Sixteen-digit inputs whose extended value lies just below the half: the decimal
        // digits decide, as the user reads them.
        {"1.234567890123425", "1.23456789012343"},
        {"2.000000000000005", "2.00000000000001"},
        {"1.000000000000005", "1.00000000000001"},
        {"1.000000000000004", "1"},
        {"1.0000000000000049", "1"},
        {"1234567890123456", "1.23456789012346E15"},
        // The fixed form holds from 1e-4 up to, not including, 1e15.
        {"999999999999999", "999999999999999"},
        {"999999999999999.4", "999999999999999"},
        {"999999999999999.5", "1E15"},
        {"1000000000000000", "1E15"},
        {"9999999999999999", "1E16"},
        {"15000000000000000", "1.5E16"},
        {"-15000000000000000", "-1.5E16"},
        {"0.0001", "0.0001"},
        {"0.00012345", "0.00012345"},
        {"0.00001", "1E-5"},
        {"-0.00001", "-1E-5"},
        {"0.00009999999999999994", "9.99999999999999E-5"},
        {"0.00009999999999999995", "0.0001"},
        {"1.18973149535723176502E4932", "1.18973149535723E4932"},
    };
    for (const RegionalSettings* settings : {&kBrazil, &kUnitedStates}) {
        const QChar separator = settings->decimalSeparator;
        for (const TextCase& c : cases) {
            const QString input = source(c.source).replace(u'.', separator);
            const QString expected = source(c.expected.c_str()).replace(u'.', separator);
            EXPECT_EQ(
                outcome([&] { return generalNumber(readDecimal(input, *settings), *settings); }),
                expected.toStdString())
                << c.source << " under " << describe(*settings);
        }
    }
}

TEST(ValueText, GeneralNumberFormOfComputedValues) {
    struct ValueCase {
        long double value;
        std::string brazil;
        std::string unitedStates;
    };
    const ValueCase cases[] = {
        {1.0L / 3, "0,333333333333333", "0.333333333333333"},
        {2.0L / 3, "0,666666666666667", "0.666666666666667"},
        {-0.0L, "0", "0"},
        {std::numeric_limits<long double>::max(), "1,18973149535723E4932", "1.18973149535723E4932"},
        {std::numeric_limits<long double>::denorm_min(), "3,64519953188247E-4951",
         "3.64519953188247E-4951"},
        {std::numeric_limits<long double>::infinity(), "INF", "INF"},
        {-std::numeric_limits<long double>::infinity(), "-INF", "-INF"},
        {std::numeric_limits<long double>::quiet_NaN(), "NAN", "NAN"},
    };
    for (const ValueCase& c : cases) {
        EXPECT_EQ(generalNumber(c.value, kBrazil).toStdString(), c.brazil) << double(c.value);
        EXPECT_EQ(generalNumber(c.value, kUnitedStates).toStdString(), c.unitedStates)
            << double(c.value);
    }
}

TEST(ValueText, CounterNumber) {
    checkUnderBoth(
        "counter number",
        {
            {"", "0", "0"},
            {"12", "12", "12"},
            {"0007", "7", "7"},
            {"12 ", "12", "12"},
            {" 12", floatError("0 12"), floatError("0 12")},
            {"-5", floatError("0-5"), floatError("0-5")},
            {"+5", floatError("0+5"), floatError("0+5")},
            {"1.234", floatError("01.234"), "1.234"},
            {"12,5", "12,5", floatError("012,5")},
            {"12.5", floatError("012.5"), "12.5"},
            {"15000000000000000", "1,5E16", "1.5E16"}, // the counter rule replaces no comma
            {"2147483648", "2147483648", "2147483648"},
            {"1E3", "1000", "1000"},
            {"1e", "1", "1"}, // an E with no digits is ignored
            {"1E+", "1", "1"},
            {"1E-2  ", "0,01", "0.01"},
            {"1E 2", floatError("01E 2"), floatError("01E 2")},
            {"1E5000", floatError("01E5000"), floatError("01E5000")},
            {"1E99999999999999999999", floatError("01E99999999999999999999"),
             floatError("01E99999999999999999999")},
            {"5E-5000", "0", "0"},
            {"12a", floatError("012a"), floatError("012a")},
        },
        counterNumber);
}

TEST(ValueText, RateNumber) {
    checkUnderBoth("rate number",
                   {
                       {"18,00", "18", floatError("18,00")},
                       {"7,5", "7.5", floatError("7,5")},
                       {"7.5", floatError("7.5"), "7.5"},
                       {"-5", "-5", "-5"},
                       {"+5", "5", "5"},
                       {" 12 ", "12", "12"},
                       {",", "0", floatError(",")},
                       {".", floatError("."), "0"},
                       {"1,5E16", "1.5E16", floatError("1,5E16")},
                       {"0,00001", "1E-5", floatError("0,00001")},
                       {"", floatError(""), floatError("")},
                       {"   ", floatError("   "), floatError("   ")},
                       {"-", floatError("-"), floatError("-")},
                       {"E5", floatError("E5"), floatError("E5")},
                       {"1.000,00", floatError("1.000,00"), floatError("1.000,00")},
                       {"12'", floatError("12'"), floatError("12'")},
                   },
                   rateNumber);
}

TEST(ValueText, RetirarPontosDeletesEveryDot) {
    const TextCase cases[] = {
        {"1.234.567,89", "1234567,89"},
        {"...", ""},
        {" . a.", "  a"},
        {"", ""},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(RetirarPontos(source(c.source)).toStdString(), c.expected) << c.source;
}

// Both amounts go into the statements unquoted, so a text that is not a plain number once the
// dots are gone and the commas are points is refused rather than written as SQL.
TEST(ValueText, ZeroPrefixedAmount) {
    const TextCase cases[] = {
        {"1.234,56", "01234.56"},
        {"98.765,43", "098765.43"},
        {"", "0"},
        {"-5,00", "0-5.00"},
        {"+5,00", "0+5.00"},
        {"0", "00"},
        {",5", "0.5"},
        {",", "0."},
        {"5,", "05."},
        {"1.2.3", "0123"},
        {"5,00   ", "05.00   "},
        {"-5,00 ", "0-5.00 "},
        {"--5,00", floatError("--5,00")},
        {"1); DELETE FROM OrvekMestre; --", floatError("1); DELETE FROM OrvekMestre; --")},
        {" 5,00", floatError(" 5,00")},
        {"-", floatError("-")},
        {"-,", floatError("-,")},
        {"1,2,3", floatError("1,2,3")},
        {"5,00 x", floatError("5,00 x")},
        {"5,00\t", floatError("5,00\t")},
        {"5e3", floatError("5e3")},
        {"1'", floatError("1'")},
        {"١٢", floatError("١٢")},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(outcome([&] { return zeroPrefixedAmount(source(c.source)); }), c.expected)
            << c.source;
}

TEST(ValueText, Amount) {
    const TextCase cases[] = {
        {"1.500,00", "1500.00"},
        {"30,00", "30.00"},
        {"12,50", "12.50"},
        {"-5,00", "-5.00"},
        {"+5", "+5"},
        {",5", ".5"},
        {"5,", "5."},
        {"5  ", "5  "},
        // No "0" in front: without a digit there is no value to write.
        {"", floatError("")},
        {"   ", floatError("   ")},
        {",", floatError(",")},
        {"-", floatError("-")},
        {"--5", floatError("--5")},
        {" 5", floatError(" 5")},
        {"5)); DROP TABLE OrvekAnalitico; --", floatError("5)); DROP TABLE OrvekAnalitico; --")},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(outcome([&] { return amount(source(c.source)); }), c.expected) << c.source;
}

} // namespace

// The regional settings taken from a locale: Qt's short date format in the rules' pattern
// language, the date separator and the decimal separator.
#include "export/RegionalSettings.h"
#include "export/ValueText.h"

#include <QDate>
#include <QLocale>
#include <gtest/gtest.h>
#include <ostream>

static void PrintTo(const RegionalSettings& settings, std::ostream* out) {
    *out << '{' << settings.shortDatePattern.toStdString() << ' '
         << QString(settings.dateSeparator).toStdString() << ' '
         << QString(settings.decimalSeparator).toStdString() << '}';
}

namespace {

TEST(RegionalSettings, QtShortDateFormatsBecomeRulePatterns) {
    struct FormatCase {
        const char* qtFormat;
        const char* pattern;
        char16_t separator;
    };
    const FormatCase cases[] = {
        {"dd/MM/yyyy", "dd/mm/yyyy", u'/'},
        {"M/d/yy", "m/d/yy", u'/'},
        {"dd.MM.yy", "dd/mm/yy", u'.'},
        {"yyyy-MM-dd", "yyyy/mm/dd", u'-'},
        {"yyyy. MM. dd.", "yyyy/ mm/ dd/", u'.'},
        {"d.MM.yy 'г'.", "d/mm/yy г/", u'.'},
        {"d\u200F/M\u200F/yyyy", "d\u200F/m\u200F/yyyy", u'/'}, // direction marks skipped
        {"d MMM yyyy", "d/mm/yyyy", u' '},
        {"yyyy'年'M'月'd'日'", "yyyy年m月d日", u'/'},
        {"yyyyMMdd", "yyyymmdd", u'/'},
        {"'o''clock' dd-MM-yyyy''", "o'clock dd/mm/yyyy'", u'-'},
        {"dd/MM/yyyy 'dmy/'", "dd/mm/yyyy /", u'/'},
        {"dd-MM-yyyy '/'", "dd/mm/yyyy ", u'-'}, // a slash that is not the separator
        {"dddd dd.MM.yyyy", " dd/mm/yyyy", u'.'},
    };
    for (const FormatCase& c : cases) {
        const ShortDatePattern converted = shortDatePatternFromQt(QString::fromUtf8(c.qtFormat));
        EXPECT_EQ(converted.pattern.toStdString(), c.pattern) << c.qtFormat;
        EXPECT_EQ(converted.separator, QChar(c.separator)) << c.qtFormat;
    }
}

TEST(RegionalSettings, TheTwoSettingsTheRulesAreTestedUnder) {
    EXPECT_EQ(regionalSettingsOf(QLocale(QStringLiteral("pt_BR"))),
              (RegionalSettings{QStringLiteral("dd/mm/yyyy"), u'/', u','}));
    EXPECT_EQ(regionalSettingsOf(QLocale(QStringLiteral("en_US"))),
              (RegionalSettings{QStringLiteral("m/d/yy"), u'/', u'.'}));
}

// The converted pattern writes a date the way the locale itself writes it.
TEST(RegionalSettings, DateTextMatchesTheLocalesOwnShortDate) {
    const QDate day(2024, 3, 5);
    for (const char* name : {"pt_BR", "en_US", "de_DE", "fr_FR", "en_GB", "nl_NL", "sv_SE", "hu_HU",
                             "ko_KR", "ja_JP", "zh_CN", "bg_BG", "hr_HR", "es_ES"}) {
        const QLocale locale{QString::fromLatin1(name)};
        EXPECT_EQ(dateText(day, regionalSettingsOf(locale)).toStdString(),
                  locale.toString(day, QLocale::ShortFormat).toStdString())
            << name << ": " << locale.dateFormat(QLocale::ShortFormat).toStdString();
    }
}

// Run by the extra test entries with only LANG set (see regional_settings.cmake).
TEST(RegionalSettings, HostLocale) {
    const QByteArray expected = qgetenv("ORVEK_EXPECTED_HOST_LOCALE");
    if (expected.isEmpty())
        GTEST_SKIP() << "ORVEK_EXPECTED_HOST_LOCALE is not set";
    if (expected == "pt_BR") {
        EXPECT_EQ(regionalSettingsFromHost(),
                  (RegionalSettings{QStringLiteral("dd/mm/yyyy"), u'/', u','}));
    } else if (expected == "en_US") {
        EXPECT_EQ(regionalSettingsFromHost(),
                  (RegionalSettings{QStringLiteral("m/d/yy"), u'/', u'.'}));
    } else {
        FAIL() << "no expectation for " << expected.constData();
    }
}

} // namespace

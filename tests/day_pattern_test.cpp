// Reading the day text of the tool's inserts by the short date pattern in force.
#include "db/DayPattern.h"

#include <gtest/gtest.h>

namespace {

TEST(DayPattern, ReadsTheDayThePatternWrites) {
    struct Case {
        const char* pattern;
        const char* text;
        const char* iso; // "" when the text names no day
    };
    const Case cases[] = {
        {"dd/mm/yyyy", "05/03/2024", "2024-03-05"},
        {"dd/mm/yyyy", "15.03.2024", "2024-03-15"},
        {"d/m/yyyy", "5/3/2024", "2024-03-05"},
        {"m/d/yy", "3/5/24", "2024-03-05"},
        {"M/d/yy", "12/31/99", "1999-12-31"},
        {"mm/dd/yy", "01/01/69", "2069-01-01"},
        {"mm/dd/yy", "01/01/70", "1970-01-01"},
        {"yyyy-mm-dd", "2024-03-05", "2024-03-05"},
        {"yy.mm.dd", "24.03.05", "2024-03-05"},
        {"yyyy. mm. dd.", "2024. 03. 05.", "2024-03-05"},
        // ISO text reads as such whatever the pattern.
        {"dd/mm/yyyy", "2024-03-05", "2024-03-05"},
        {"dd/mm/yyyy", "29/02/2024", "2024-02-29"},
        {"dd/mm/yyyy", "29/02/2023", ""},
        {"dd/mm/yyyy", "15/13/2024", ""},
        {"dd/mm/yyyy", "00/01/2024", ""},
        {"dd/mm/yyyy", "15/03/202", ""},
        {"dd/mm/yyyy", "15/03", ""},
        {"dd/mm/yyyy", "15/03/2024/1", ""},
        {"dd/mm/yyyy", "15/mar/2024", ""},
        {"dd/mm/yyyy", "", ""},
        {"dd/mm/yyyy", "150/03/2024", ""},
        {"mm/yyyy", "03/2024", ""},
    };
    for (const Case& c : cases) {
        const DayPattern pattern =
            DayPattern::fromShortDatePattern(QString::fromLatin1(c.pattern), QLatin1Char('/'));
        const QDate day = pattern.read(QString::fromLatin1(c.text));
        EXPECT_EQ(day.isValid() ? day.toString(Qt::ISODate).toStdString() : std::string(), c.iso)
            << c.pattern << " " << c.text;
    }
}

TEST(DayPattern, OrderAndText) {
    EXPECT_EQ(DayPattern::fromShortDatePattern("dd/MM/yyyy", '-').order(), QStringLiteral("DMY"));
    EXPECT_EQ(DayPattern::fromShortDatePattern("dd/MM/yyyy", '-').text(),
              QStringLiteral("dd-MM-yyyy"));
    EXPECT_EQ(DayPattern::fromShortDatePattern("M/d/yy", '/').order(), QStringLiteral("MDY"));
    EXPECT_EQ(DayPattern::fromShortDatePattern("yyyy-MM-dd", '/').order(), QStringLiteral("YMD"));
    EXPECT_FALSE(DayPattern::fromShortDatePattern("dd/mm", '/').valid());
    EXPECT_FALSE(DayPattern::fromShortDatePattern("dd/mm/dd/yy", '/').valid());
}

} // namespace

// The host's regional settings that the value text rules depend on, as a plain value.
#pragma once

#include <QChar>
#include <QString>

class QLocale;

struct RegionalSettings {
    // In the rules' pattern language: d, dd, m, mm, y/yy, yyy+ (letters in any case), "/" for
    // the date separator, any other character copied.
    QString shortDatePattern;
    QChar dateSeparator;
    QChar decimalSeparator;

    bool operator==(const RegionalSettings&) const = default;
};

// The settings of the host locale (QLocale::system(), which follows LC_ALL, LC_TIME,
// LC_NUMERIC and LANG), with Qt's short date format turned into the rules' pattern language.
// Callers take them afresh when a run starts.
RegionalSettings regionalSettingsFromHost();

// The same for a given locale: its short date format and its decimal point.
RegionalSettings regionalSettingsOf(const QLocale& locale);

// A Qt date format (QLocale::dateFormat) in the rules' pattern language, with the date
// separator: the first character between two date fields that is neither a letter nor an
// invisible format mark ('/' when there is none). That character becomes "/" wherever it
// stands; d and dd stay, M and MM become m and mm, month names become mm, yy stays and yyyy
// stays, weekday names are dropped. Literal characters are copied, quoted or not, except those
// the pattern language would read as a field or a separator (d, m, y, a stray "/"), which it
// cannot express and which are dropped.
struct ShortDatePattern {
    QString pattern;
    QChar separator;
};
ShortDatePattern shortDatePatternFromQt(const QString& qtFormat);

// The host's regional settings that the value text rules depend on, as a plain value.
#pragma once

#include <QChar>
#include <QString>

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

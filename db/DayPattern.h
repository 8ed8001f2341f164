// The order in which the tool's inserts write day, month and year, and reading such text back
// as the day it names.
#pragma once

#include <QChar>
#include <QDate>
#include <QString>
#include <QStringView>
#include <array>

class DayPattern {
public:
    // "dd/mm/yyyy", "m/d/yy", "yyyy-mm-dd"...: letters d, m and y in any case, anything else a
    // separator. A pattern that does not name all three parts is kept but not valid().
    static DayPattern fromShortDatePattern(const QString& pattern, QChar dateSeparator);

    bool valid() const { return m_order[0] != 0; }
    // The three parts in written order, as letters 'D', 'M' and 'Y': "DMY", "MDY", "YMD"...
    // Empty when not valid().
    QString order() const;
    // The pattern as given, with "/" replaced by the date separator, for messages.
    const QString& text() const { return m_text; }

    // Reads text written by this pattern: three groups of digits separated (and perhaps
    // surrounded) by anything but letters and digits, day and month of one or two digits, a year of
    // two or four. A first group of four digits reads as year-month-day whatever the pattern, so
    // ISO text is always understood. Two-digit years 00..69 are 2000..2069 and 70..99 are
    // 1970..1999, the rule PostgreSQL applies, so every back-end reads them alike. Returns an
    // invalid QDate when the text names no real day in this pattern.
    QDate read(QStringView text) const;

private:
    QString m_text;
    std::array<char, 3> m_order{};
};

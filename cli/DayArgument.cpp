#include "DayArgument.h"

#include "db/DayPattern.h"
#include "export/RegionalSettings.h"

QDate readDayArgument(const QString& text, const RegionalSettings& settings) {
    // The reading the back-ends apply to the day text of the tool's own inserts: ISO text is
    // understood whatever the pattern, and two-digit years fall in 1970..2069 everywhere.
    return DayPattern::fromShortDatePattern(settings.shortDatePattern, settings.dateSeparator)
        .read(text.trimmed());
}

QString shortDateForm(const RegionalSettings& settings) {
    return DayPattern::fromShortDatePattern(settings.shortDatePattern, settings.dateSeparator)
        .text()
        .toLower();
}

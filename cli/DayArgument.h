// Days given on the command line.
#pragma once

#include <QDate>
#include <QString>

struct RegionalSettings;

// The day text names: YYYY-MM-DD, or a day written in the short date of settings (the form the
// window shows). Returns an invalid date when the text names no day.
QDate readDayArgument(const QString& text, const RegionalSettings& settings);

// The short date of settings as a person reads it: "dd/mm/yyyy", "m/d/yy"...
QString shortDateForm(const RegionalSettings& settings);

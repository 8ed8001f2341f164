// The value texts one pass writes into its statements, converted once and reused while the
// rows repeat them: rows come grouped by day (and in the analytic pass by printer), and items
// carry a handful of distinct rates.
#pragma once

#include "export/RegionalSettings.h"

#include <QDate>
#include <QHash>
#include <QString>

class StatementTexts final {
public:
    // Keeps a copy of settings: they hold for the whole run.
    explicit StatementTexts(const RegionalSettings& settings);

    const RegionalSettings& settings() const { return m_settings; }

    // The quoted date text of day, ", ", and the quoted serial.
    const QString& daySerialLine(QDate day, const QString& serial);

    // ", " and the rate number of aliquota. Throws ConversionError when aliquota is not a number.
    const QString& rateLine(const QString& aliquota);

private:
    RegionalSettings m_settings;
    QDate m_day;
    QString m_quotedDay;
    QString m_serial;
    QString m_daySerialLine;
    QHash<QString, QString> m_rates;
};

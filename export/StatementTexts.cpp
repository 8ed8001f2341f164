#include "export/StatementTexts.h"

#include "export/ValueText.h"

#include <QStringBuilder>

namespace {

// Real data has a few rates; a source full of odd ones must not make the memory grow with it.
constexpr qsizetype kMaxRates = 256;

} // namespace

StatementTexts::StatementTexts(const RegionalSettings& settings) : m_settings(settings) {}

const QString& StatementTexts::daySerialLine(QDate day, const QString& serial) {
    const bool sameDay = !m_quotedDay.isNull() && day == m_day;
    if (sameDay && serial == m_serial)
        return m_daySerialLine;
    if (!sameDay) {
        m_day = day;
        m_quotedDay = quotedText(dateText(day, m_settings));
    }
    m_serial = serial;
    m_daySerialLine = m_quotedDay % QStringLiteral(", ") % quotedText(serial);
    return m_daySerialLine;
}

const QString& StatementTexts::rateLine(const QString& aliquota) {
    const auto known = m_rates.constFind(aliquota);
    if (known != m_rates.constEnd())
        return *known;
    if (m_rates.size() >= kMaxRates)
        m_rates.clear();
    return *m_rates.insert(aliquota, QStringLiteral(", ") % rateNumber(aliquota, m_settings));
}

#include "ProgressDisplay.h"

#include "Console.h"

#include <QString>
#include <algorithm>

namespace {

constexpr int kBarWidth = 30;
// Often enough to look alive, seldom enough that drawing costs the run nothing.
constexpr qint64 kRedrawIntervalMs = 100;

} // namespace

ProgressDisplay::ProgressDisplay(Style style) : m_style(style) {}

ProgressDisplay::~ProgressDisplay() {
    if (m_style != Style::Bar || !m_barShown)
        return;
    if (m_contador != m_contadorDrawn)
        drawBar(m_contador);
    writeErr(QStringLiteral("\n"));
}

void ProgressDisplay::start(qint32 total) {
    m_total = total;
    if (m_style == Style::Lines) {
        writeOut(QStringLiteral("Rows to handle: %1\n").arg(total));
        return;
    }
    drawBar(0);
}

void ProgressDisplay::rowHandled(qint32 contador) {
    m_contador = contador;
    if (m_style == Style::Bar) {
        if (!m_sinceDrawn.isValid() || m_sinceDrawn.elapsed() >= kRedrawIntervalMs ||
            contador == m_total)
            drawBar(contador);
        return;
    }
    if (m_total <= 0)
        return;
    // A row counted beyond the total (another program adding reductions meanwhile) is still
    // counted, but the lines stop at the tenth tenth.
    const int tenths = int(std::min<qint64>(10, qint64(contador) * 10 / m_total));
    if (tenths <= m_tenthsShown)
        return;
    m_tenthsShown = tenths;
    writeOut(QStringLiteral("Handled %1 of %2 rows (%3%)\n")
                 .arg(contador)
                 .arg(m_total)
                 .arg(qint64(contador) * 100 / m_total));
}

void ProgressDisplay::drawBar(qint32 contador) {
    const int filled =
        m_total <= 0 ? kBarWidth
                     : int(std::min<qint64>(kBarWidth, qint64(contador) * kBarWidth / m_total));
    writeErr(QStringLiteral("\r[%1%2] %3 / %4 rows")
                 .arg(QString(filled, u'#'), QString(kBarWidth - filled, u'-'))
                 .arg(contador)
                 .arg(m_total));
    m_barShown = true;
    m_contadorDrawn = contador;
    m_sinceDrawn.start();
}

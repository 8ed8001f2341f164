// A run's progress for whoever watches it: on a terminal a bar redrawn in place with the count
// and the total; elsewhere a plain line at each tenth of the run, so that the log of a nightly
// run stays short.
#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

class ProgressDisplay final {
public:
    enum class Style {
        Bar,   // on standard error, redrawn in place
        Lines, // on standard output
    };

    explicit ProgressDisplay(Style style);
    // Ends the bar's line, however the run ended, so that what follows starts a line of its own.
    ~ProgressDisplay();

    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // The number of rows the run will handle, before the first.
    void start(qint32 total);
    // The run's count so far, after each row.
    void rowHandled(qint32 contador);

private:
    void drawBar(qint32 contador);

    Style m_style;
    qint32 m_total = 0;
    qint32 m_contador = 0;
    qint32 m_contadorDrawn = -1;
    int m_tenthsShown = 0;
    bool m_barShown = false;
    QElapsedTimer m_sinceDrawn;
};

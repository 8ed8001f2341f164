// What an export run did, for a caller that reports more than the running count.
#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>
#include <vector>

// An analytic item the run skipped: the engine rejected its insert, or its amount is not a
// number and was never put into a statement.
struct SkippedItem {
    QDate day;
    QString serial;
    QString descricao;
    QString reason; // the engine's message, or the conversion's
};

struct ExportReport {
    qint32 contador = 0;     // source rows handled, skipped items included
    qint32 masterRows = 0;   // OrvekMestre inserts executed (listed, in a dry run)
    qint32 analyticRows = 0; // OrvekAnalitico inserts executed (listed, in a dry run)
    std::vector<SkippedItem> skipped;
};

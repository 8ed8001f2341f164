// Realistic, reproducible Z reductions of a chain of shops, written into the source tables
// BR_REDUCAOZ and BR_ITENS_RZ: for benchmarks, and for trying the tool on a fresh database.
#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

class TDatabase;

// How much to generate. The same shape always gives the same rows.
struct DemoDataShape {
    int printers = 160; // four registers per shop
    int days = 365;     // calendar days from firstDay; shops close on Sundays
    QDate firstDay = QDate(2023, 1, 2);
    quint64 seed = 20230102;
};

// One row of BR_ITENS_RZ; Aliquota is empty for the counters, totals and untaxed items.
struct DemoItem {
    QString descricao;
    QString aliquota;
    QString valor; // Brazilian number text: "1.234,56"
};

// One row of BR_REDUCAOZ with its items.
struct DemoReduction {
    QDate dataMovimento;
    QString serial;
    QString nCaixa;
    qint32 cooInicial = 0;
    qint32 cooFinal = 0;
    QString modelo;
    std::vector<DemoItem> items;
};

struct DemoDataCounts {
    qint64 reductions = 0;
    qint64 items = 0;
    qint64 analyticItems = 0; // items the analytic summary selects
};

// Calls visit for each reduction in day order, then printer order. The reduction is reused
// between calls: copy what must outlive the call.
DemoDataCounts generateDemoData(const DemoDataShape& shape,
                                const std::function<void(const DemoReduction&)>& visit);

// Writes the reductions of shape into BR_REDUCAOZ and BR_ITENS_RZ of an open connection, in
// transactions of about a day of the chain each. Throws RuntimeError with the engine's message;
// the days committed before the error stay.
DemoDataCounts writeDemoData(TDatabase& database, const DemoDataShape& shape);

// A whole amount in cents as Brazilian number text: 123456 -> "1.234,56", -5 -> "-0,05".
QString brazilianAmount(qint64 cents);

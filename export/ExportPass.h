// What the master and analytic passes of an export run share: the run's inputs, its report,
// the scope that keeps a source query open for exactly one pass, and counting a pass's rows.
#pragma once

#include "export/ExportReport.h"

#include <QDate>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

class StatementSink;
class TDatabase;
class TQuery;
enum class FieldKind;
struct RegionalSettings;

// Called after each source row a run has handled, with the run's count so far (Contador).
using ExportProgress = std::function<void(qint32 contador)>;

// The inputs of one run, fixed when it starts, and what it has done so far.
struct PassContext {
    TDatabase& database;
    QDate inicio;
    QDate final;
    const RegionalSettings& settings;
    const ExportProgress& progress;
    StatementSink& statements;
    ExportReport report;

    // Adds one handled row to the count (report.contador) and reports it.
    void rowHandled();
};

// Gives a source query its SQL lines and declares its result fields, each field object named
// after the query and its column (QOrvekMestreSERIAL).
void configureSourceQuery(TQuery& query, const QString& queryName, const QStringList& sql,
                          std::initializer_list<std::pair<const char*, FieldKind>> fields);

// The statement query QComando of one pass, on the run's connection; the pass releases it on
// every way out.
std::unique_ptr<TQuery> createQComando(const PassContext& context);

// The number of rows source (a configured QOrvekMestre or QOrvekAnalitico, closed) would select
// for the run's days now: its own lines from FROM on, under a COUNT, so that the count and the
// pass cannot disagree on the condition. Throws RuntimeError.
qint32 countSourceRows(const TQuery& source, const PassContext& context);

// Binds the run's two days to a source query's :Inicio and :Final, prepares and opens it, and
// closes it when the pass leaves this scope, however it leaves. Throws RuntimeError when the
// query cannot be prepared or opened (the connection included); the query is then closed.
class SourceQueryScope final {
public:
    SourceQueryScope(TQuery& query, const PassContext& context);

    SourceQueryScope(const SourceQueryScope&) = delete;
    SourceQueryScope& operator=(const SourceQueryScope&) = delete;

private:
    // Built before the query is opened, so that a failed open closes the query too.
    struct Closer {
        TQuery& query;
        ~Closer();
    } m_closer;
};

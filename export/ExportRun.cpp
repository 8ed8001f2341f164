#include "export/ExportRun.h"

#include "db/Database.h"
#include "export/AnalyticPass.h"
#include "export/MasterPass.h"
#include "export/RegionalSettings.h"
#include "export/StatementSink.h"

ExportReport runExport(const ExportComponents& components, QDate inicio, QDate final,
                       const RegionalSettings& settings, const ExportHooks& hooks) {
    components.database.setDayTextPattern(settings.shortDatePattern, settings.dateSeparator);
    ExecutingSink executing;
    PassContext context{components.database,
                        inicio,
                        final,
                        settings,
                        hooks.progress,
                        hooks.statements ? *hooks.statements : executing,
                        {}};
    // Both counted before anything is written: the master pass writes nothing the analytic
    // query reads, so its count still holds when its pass starts.
    if (hooks.total)
        hooks.total(countSourceRows(components.qOrvekMestre, context) +
                    countSourceRows(components.qOrvekAnalitico, context));
    runMasterPass(components.qOrvekMestre, components.contarRegistro, context);
    runAnalyticPass(components.qOrvekAnalitico, context);
    return context.report;
}

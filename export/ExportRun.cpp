#include "export/ExportRun.h"

#include "db/Database.h"
#include "export/AnalyticPass.h"
#include "export/MasterPass.h"
#include "export/RegionalSettings.h"

qint32 runExport(const ExportComponents& components, QDate inicio, QDate final,
                 const RegionalSettings& settings, const ExportProgress& progress) {
    components.database.setDayTextPattern(settings.shortDatePattern, settings.dateSeparator);
    PassContext context{components.database, inicio, final, settings, progress};
    runMasterPass(components.qOrvekMestre, components.contarRegistro, context);
    runAnalyticPass(components.qOrvekAnalitico, context);
    return context.contador;
}

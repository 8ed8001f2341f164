#include "ExportCommand.h"

#include "CommandComponents.h"
#include "Console.h"
#include "ProgressDisplay.h"
#include "export/ExportRun.h"
#include "export/StatementSink.h"

namespace {

// The statements as the engine would receive them, each ending with CR LF, and one more CR LF
// between two of them: the blank line that separates them.
void listStatements(CommandComponents& components, QDate inicio, QDate final,
                    const RegionalSettings& settings) {
    bool first = true;
    ListingSink listing([&first](const QString& statement) {
        if (!first)
            writeOut(QStringLiteral("\r\n"));
        first = false;
        writeOut(statement);
    });
    ExportHooks hooks;
    hooks.statements = &listing;
    runExport(components.exportComponents(), inicio, final, settings, hooks);
}

QString summary(const ExportReport& report) {
    QString text = QStringLiteral("Master rows written: %1\n"
                                  "Analytic rows written: %2\n"
                                  "Analytic inserts rejected: %3\n")
                       .arg(report.masterRows)
                       .arg(report.analyticRows)
                       .arg(report.skipped.size());
    for (const SkippedItem& item : report.skipped)
        text += QStringLiteral("  %1 %2 %3: %4\n")
                    .arg(item.day.toString(Qt::ISODate), item.serial, item.descricao, item.reason);
    return text;
}

} // namespace

void runExportCommand(QDate inicio, QDate final, bool dryRun, const RegionalSettings& settings) {
    CommandComponents components;
    components.open();
    if (dryRun) {
        listStatements(components, inicio, final, settings);
        return;
    }
    ExportReport report;
    {
        ProgressDisplay display(stderrIsTerminal() ? ProgressDisplay::Style::Bar
                                                   : ProgressDisplay::Style::Lines);
        ExportHooks hooks;
        hooks.total = [&display](qint32 total) { display.start(total); };
        hooks.progress = [&display](qint32 contador) { display.rowHandled(contador); };
        report = runExport(components.exportComponents(), inicio, final, settings, hooks);
    }
    writeOut(summary(report));
}

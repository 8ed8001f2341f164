// Program start of orvek-cli: reads the command line, runs one command over the core, and turns
// the way it ended into an exit status, with the message on standard error when it failed.
#include "CommandLine.h"
#include "Console.h"
#include "DemoCommand.h"
#include "ExportCommand.h"
#include "InitCommand.h"
#include "db/RuntimeError.h"
#include "export/RegionalSettings.h"

#include <QCoreApplication>
#include <QDate>
#include <exception>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

int run(const Command& command, const RegionalSettings& settings) {
    switch (command.kind) {
    case Command::Kind::Help:
        writeOut(helpText(settings));
        break;
    case Command::Kind::Version:
        writeOut(QStringLiteral("orvek-cli %1\n").arg(QCoreApplication::applicationVersion()));
        break;
    case Command::Kind::Export:
        runExportCommand(command.inicio, command.final, command.dryRun, settings);
        break;
    case Command::Kind::Init:
        runInitCommand(command.withSource);
        break;
    case Command::Kind::Demo:
        runDemoCommand(command.dir, QDate::currentDate(), settings);
        break;
    }
    // A listing or summary cut short by a full disk is not a finished job.
    if (!stdoutWrittenInFull())
        throw RuntimeError(QStringLiteral("Standard output could not be written in full"));
    return kDone;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvek-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVEK_VERSION));
    // Read once, at the start, as the window reads them when a run starts.
    const RegionalSettings settings = regionalSettingsFromHost();
    try {
        return run(parseCommandLine(QCoreApplication::arguments(), settings), settings);
    } catch (const UsageError& error) {
        writeErr(QStringLiteral("orvek-cli: %1\n").arg(error.message()) + usageLines() +
                 QStringLiteral("Run 'orvek-cli --help' for more.\n"));
        return kBadArguments;
    } catch (const RuntimeError& error) {
        writeErr(QStringLiteral("orvek-cli: %1\n").arg(error.message()));
    } catch (const std::exception& error) {
        writeErr(QStringLiteral("orvek-cli: %1\n").arg(QString::fromUtf8(error.what())));
    }
    return kFailed;
}

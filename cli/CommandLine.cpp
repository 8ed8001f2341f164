#include "CommandLine.h"

#include "DayArgument.h"

#include <QCommandLineParser>

namespace {

const QString kHelp = QStringLiteral("help");
const QString kInicio = QStringLiteral("inicio");
const QString kFinal = QStringLiteral("final");
const QString kDryRun = QStringLiteral("dry-run");
const QString kWithSource = QStringLiteral("with-source");

// The one value of an option that must be given once.
QString onlyValue(const QCommandLineParser& parser, const QString& option) {
    const QStringList values = parser.values(option);
    if (values.isEmpty())
        throw UsageError(QStringLiteral("export needs --%1 DATE").arg(option));
    if (values.size() > 1)
        throw UsageError(QStringLiteral("--%1 is given more than once").arg(option));
    return values.front();
}

QDate dayOption(const QCommandLineParser& parser, const QString& option,
                const RegionalSettings& settings) {
    const QString text = onlyValue(parser, option);
    const QDate day = readDayArgument(text, settings);
    if (!day.isValid())
        throw UsageError(QStringLiteral("--%1 '%2' is not a day: write it as YYYY-MM-DD or %3")
                             .arg(option, text, shortDateForm(settings)));
    return day;
}

void expectPositionals(const QCommandLineParser& parser, const QString& command, int count) {
    const QStringList positionals = parser.positionalArguments();
    if (positionals.size() > count)
        throw UsageError(
            QStringLiteral("%1 takes no argument '%2'").arg(command, positionals.at(count)));
    if (positionals.size() < count)
        throw UsageError(QStringLiteral("%1 needs a folder").arg(command));
}

Command versionCommand() {
    Command command;
    command.kind = Command::Kind::Version;
    return command;
}

} // namespace

Command parseCommandLine(const QStringList& arguments, const RegionalSettings& settings) {
    const QString first = arguments.value(1);
    if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("help"))
        return {};
    if (first == QLatin1String("--version") || first == QLatin1String("-v"))
        return versionCommand();
    if (first.isEmpty())
        throw UsageError(QStringLiteral("no command given"));

    QCommandLineParser parser;
    parser.addOption({{QStringLiteral("h"), kHelp}, QString()});
    Command command;
    if (first == QLatin1String("export")) {
        command.kind = Command::Kind::Export;
        parser.addOption({kInicio, QString(), QStringLiteral("DATE")});
        parser.addOption({kFinal, QString(), QStringLiteral("DATE")});
        parser.addOption({kDryRun, QString()});
    } else if (first == QLatin1String("init")) {
        command.kind = Command::Kind::Init;
        parser.addOption({kWithSource, QString()});
    } else if (first == QLatin1String("demo")) {
        command.kind = Command::Kind::Demo;
    } else {
        throw UsageError(QStringLiteral("unknown command '%1'").arg(first));
    }
    // The command's word is not one of its arguments.
    if (!parser.parse(QStringList{arguments.front()} + arguments.mid(2)))
        throw UsageError(first + QStringLiteral(": ") + parser.errorText());
    if (parser.isSet(kHelp))
        return {};

    switch (command.kind) {
    case Command::Kind::Export:
        expectPositionals(parser, first, 0);
        command.inicio = dayOption(parser, kInicio, settings);
        command.final = dayOption(parser, kFinal, settings);
        command.dryRun = parser.isSet(kDryRun);
        break;
    case Command::Kind::Init:
        expectPositionals(parser, first, 0);
        command.withSource = parser.isSet(kWithSource);
        break;
    case Command::Kind::Demo:
        expectPositionals(parser, first, 1);
        command.dir = parser.positionalArguments().front();
        break;
    case Command::Kind::Help:
    case Command::Kind::Version:
        break;
    }
    return command;
}

QString usageLines() {
    return QStringLiteral("Usage: orvek-cli export --inicio DATE --final DATE [--dry-run]\n"
                          "       orvek-cli init [--with-source]\n"
                          "       orvek-cli demo DIR\n"
                          "       orvek-cli --help | --version\n");
}

QString helpText(const RegionalSettings& settings) {
    return usageLines() +
           QStringLiteral(
               "\n"
               "Summarises the Z reductions of the database that ./Vendrake.ini names into\n"
               "OrvekMestre and OrvekAnalitico, as the Orvek window does.\n"
               "\n"
               "  export    Summarise the days from --inicio to --final, both included, and\n"
               "            print the rows written and the items skipped. --dry-run prints\n"
               "            every statement the run would execute, exactly as it would be\n"
               "            sent, and executes none.\n"
               "  init      Create whatever the database lacks of the two summary tables, their\n"
               "            indexes and the day conversion; with --with-source the two source\n"
               "            tables too, for a new database. Nothing is ever dropped or altered.\n"
               "            A missing Confeccao.db of the embedded default is created.\n"
               "  demo DIR  Create DIR with a Vendrake.ini and a Confeccao.db of demonstration\n"
               "            data (four printers over the last three months), and print the\n"
               "            days to try.\n"
               "\n"
               "DATE is YYYY-MM-DD or the system's short date, here %1.\n"
               "Exit status: 0 done, 1 failed (the reason on standard error), 2 bad arguments.\n")
               .arg(shortDateForm(settings));
}

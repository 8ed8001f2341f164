// The built orvek-cli run as a process, in a working folder of its own, under Brazilian regional
// settings: its arguments and exit statuses, its messages when the database cannot be reached,
// and export, dry run, init and demo on the embedded default.
#include "components/ContarRegistro.h"
#include "db/Query.h"
#include "export/AnalyticPass.h"
#include "export/DemoData.h"
#include "export/ExportRun.h"
#include "export/MasterPass.h"
#include "export/RegionalSettings.h"
#include "support/RecordingSink.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kUsage = QStringLiteral("Usage: orvek-cli export --inicio DATE --final DATE "
                                      "[--dry-run]\n"
                                      "       orvek-cli init [--with-source]\n"
                                      "       orvek-cli demo DIR\n"
                                      "       orvek-cli --help | --version\n");
const QString kMarch1 = QStringLiteral("2024-03-01");
const QString kMarch31 = QStringLiteral("2024-03-31");

struct Result {
    int status = -1;
    QString out;
    QString err;
};

// Runs orvek-cli in dir, as a scheduler would: no terminal, LANG the only locale setting.
// Standard output goes to stdoutFile when one is named.
Result runCli(const QStringList& arguments, const QString& dir, const QString& stdoutFile = {}) {
    QProcess process;
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANGUAGE"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("pt_BR.UTF-8"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral(ORVEK_CLI), arguments);
    Result result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "orvek-cli did not finish: " << arguments.join(u' ').toStdString();
        return result;
    }
    result.status = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void writeSettings(const QString& dir, const QString& tipo, const QString& caminho) {
    QFile file(QDir(dir).filePath(QStringLiteral("Vendrake.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("[BDados]\r\nTipo=%1\r\nCaminho=%2\r\n").arg(tipo, caminho).toUtf8());
}

QStringList exportArguments() {
    return {QStringLiteral("export"), QStringLiteral("--inicio"), kMarch1,
            QStringLiteral("--final"), kMarch31};
}

QString noRowsSummary() {
    return QStringLiteral("Rows to handle: 0\n"
                          "Master rows written: 0\n"
                          "Analytic rows written: 0\n"
                          "Analytic inserts rejected: 0\n");
}

TEST(CliArguments, BadArgumentsGiveTheReasonWithTheUsageAndStatus2) {
    const struct {
        QStringList arguments;
        QString reason;
    } cases[] = {
        {{}, "no command given"},
        {{"exprot"}, "unknown command 'exprot'"},
        {{"export", "--final", kMarch31}, "export needs --inicio DATE"},
        {{"export", "--inicio", kMarch1}, "export needs --final DATE"},
        {{"export", "--inicio"}, "export: Missing value after '--inicio'."},
        {exportArguments() + QStringList{"--force"}, "export: Unknown option 'force'."},
        {exportArguments() + QStringList{"--inicio", kMarch1}, "--inicio is given more than once"},
        {{"export", "--inicio", "2024-02-30", "--final", kMarch31},
         "--inicio '2024-02-30' is not a day: write it as YYYY-MM-DD or dd/mm/yyyy"},
        // Brazilian settings read day before month.
        {{"export", "--inicio", "01/03/2024", "--final", "03/31/2024"},
         "--final '03/31/2024' is not a day: write it as YYYY-MM-DD or dd/mm/yyyy"},
        {exportArguments() + QStringList{"extra"}, "export takes no argument 'extra'"},
        {{"init", "--with-source", "extra"}, "init takes no argument 'extra'"},
        {{"demo"}, "demo needs a folder"},
        {{"demo", "a", "b"}, "demo takes no argument 'b'"},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const Result result = runCli(c.arguments, dir.path());
        const std::string input = c.arguments.join(u' ').toStdString();
        EXPECT_EQ(result.status, 2) << input;
        EXPECT_EQ(result.out, QString()) << input;
        EXPECT_EQ(result.err, QStringLiteral("orvek-cli: ") + c.reason + QStringLiteral("\n") +
                                  kUsage + QStringLiteral("Run 'orvek-cli --help' for more.\n"))
            << input;
    }
    // Nothing was read or made: no settings file was needed, and none of the arguments that
    // name a folder got as far as making one.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

TEST(CliArguments, HelpAndVersionPrintOnStandardOutputWithStatus0) {
    QTemporaryDir dir;
    const Result help = runCli({QStringLiteral("--help")}, dir.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, QString());
    EXPECT_EQ(help.out.split(u'\n').mid(0, 4).join(u'\n') + u'\n', kUsage);
    // Asked of a command, with its other arguments wrong or missing, help is the same help.
    const Result commandHelp =
        runCli({QStringLiteral("export"), QStringLiteral("--help")}, dir.path());
    EXPECT_EQ(commandHelp.status, 0);
    EXPECT_EQ(commandHelp.out, help.out);

    const Result version = runCli({QStringLiteral("--version")}, dir.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.err, QString());
    EXPECT_EQ(version.out, QStringLiteral("orvek-cli " ORVEK_VERSION "\n"));
}

TEST(CliConnection, MissingSettingsFileAppliesTheDefaultsAndSaysSo) {
    QTemporaryDir dir;
    const QString here = QDir(dir.path()).canonicalPath();
    for (const QStringList& arguments : {exportArguments(), QStringList{QStringLiteral("init")}}) {
        const Result result = runCli(arguments, dir.path());
        const std::string input = arguments.join(u' ').toStdString();
        EXPECT_EQ(result.status, 1) << input;
        EXPECT_EQ(result.out, QString()) << input;
        EXPECT_EQ(result.err,
                  QStringLiteral("orvek-cli: The database directory C:\\Sistemas\\Dados does not "
                                 "exist\nThere is no Vendrake.ini in %1, so the defaults apply: "
                                 "Tipo=Standard, Caminho=C:\\Sistemas\\Dados.\n")
                      .arg(here))
            << input;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

TEST(CliConnection, UnreachableDatabaseFailsWithTheEngineMessage) {
    const struct {
        QString tipo;
        QString caminho;
        QString message;
    } cases[] = {
        // Nothing listens on port 1.
        {"Interbase", "127.0.0.1/1:/nowhere/confeccao.fdb",
         "Unable to complete network request to host \"127.0.0.1\". - Failed to establish a "
         "connection."},
        {"MSSQL", "OrvekNoSuchSource",
         "[unixODBC][Driver Manager]Data source name not found and no default driver specified"},
        // The embedded default never creates a database the settings merely point at.
        {"Standard", "/nowhere/orvek", "The database directory /nowhere/orvek does not exist"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        writeSettings(dir.path(), c.tipo, c.caminho);
        const Result result = runCli(exportArguments(), dir.path());
        EXPECT_EQ(result.status, 1) << c.tipo.toStdString();
        EXPECT_EQ(result.out, QString()) << c.tipo.toStdString();
        EXPECT_EQ(result.err, QStringLiteral("orvek-cli: ") + c.message + QStringLiteral("\n"))
            << c.tipo.toStdString();
    }
}

QString quoted(const QString& text) {
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// The embedded default with two reductions: one item written, one the engine rejects and one
// whose amount is refused before any statement is built.
class CliOnEmbeddedDatabase : public testing::Test {
protected:
    void SetUp() override {
        db = std::make_unique<TestDatabase>(TestBackend::Sqlite);
        writeSettings(work.path(), db->settings().tipo, db->settings().caminho);
        // SQLite stores any number; make it refuse this one as a server refuses an amount beyond
        // the column's precision.
        ASSERT_TRUE(db->exec("CREATE TRIGGER Recusa BEFORE INSERT ON OrvekAnalitico WHEN "
                             "NEW.TotalizadorParcial > 1e16 BEGIN SELECT RAISE(ABORT, "
                             "'numeric field overflow'); END"));
        reduction("2024-03-01", "A");
        reduction("2024-03-02", "B");
        item("2024-03-01", "A", "ICMS 18,00%", "18,00", "1.500,00");
        item("2024-03-01", "A", "ICMS 12,00%", "12,00", "12345678901234567890,00");
        item("2024-03-02", "B", "ICMS 7,00%", "7,00", "");
    }

    void reduction(const QString& day, const QString& serial) {
        db->exec(QStringLiteral("INSERT INTO BR_REDUCAOZ VALUES (%1, %2, '1', 100, 250, 'MP-20')")
                     .arg(quoted(day), quoted(serial)));
        item(day, serial, QStringLiteral("2. VENDA BRUTA DIÁRIA"), QString(),
             QStringLiteral("1.234,56"));
    }

    void item(const QString& day, const QString& serial, const QString& descricao,
              const QString& aliquota, const QString& valor) {
        db->exec(QStringLiteral("INSERT INTO BR_ITENS_RZ VALUES (%1, %2, %3, %4, %5)")
                     .arg(quoted(day), quoted(serial), quoted(descricao), quoted(aliquota),
                          quoted(valor)));
    }

    qsizetype count(const QString& table) {
        return qsizetype(db->rows(QStringLiteral("SELECT * FROM ") + table).size());
    }

    std::unique_ptr<TestDatabase> db;
    QTemporaryDir work;
};

TEST_F(CliOnEmbeddedDatabase, ExportWritesAndSummarisesAndARerunRetriesOnlyTheRefusedItem) {
    const Result first = runCli(exportArguments(), work.path());
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.err, QString());
    EXPECT_EQ(first.out, QStringLiteral("Rows to handle: 5\n"
                                        "Handled 1 of 5 rows (20%)\n"
                                        "Handled 2 of 5 rows (40%)\n"
                                        "Handled 3 of 5 rows (60%)\n"
                                        "Handled 4 of 5 rows (80%)\n"
                                        "Handled 5 of 5 rows (100%)\n"
                                        "Master rows written: 2\n"
                                        "Analytic rows written: 1\n"
                                        "Analytic inserts rejected: 2\n"
                                        "  2024-03-01 A ICMS 12,00%: numeric field overflow\n"
                                        "  2024-03-02 B ICMS 7,00%: '' is not a valid floating "
                                        "point value\n"));
    EXPECT_EQ(db->rows("SELECT Emissao, Serie FROM OrvekMestre ORDER BY Serie"),
              (Rows{{"2024-03-01", "A"}, {"2024-03-02", "B"}}));
    EXPECT_EQ(db->rows("SELECT Emissao, Serie, Aliquota, TotalizadorParcial FROM OrvekAnalitico"),
              (Rows{{"2024-03-01", "A", "18", "1500"}}));

    // A's day has an analytic row and is done; B's has none, so its item is tried again.
    const Result second = runCli(exportArguments(), work.path());
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out, QStringLiteral("Rows to handle: 1\n"
                                         "Handled 1 of 1 rows (100%)\n"
                                         "Master rows written: 0\n"
                                         "Analytic rows written: 0\n"
                                         "Analytic inserts rejected: 1\n"
                                         "  2024-03-02 B ICMS 7,00%: '' is not a valid floating "
                                         "point value\n"));
    EXPECT_EQ(count("OrvekMestre"), 2);
    EXPECT_EQ(count("OrvekAnalitico"), 1);
}

TEST_F(CliOnEmbeddedDatabase, DryRunPrintsExactlyTheStatementsARealRunExecutesAndWritesNothing) {
    const Result dry = runCli(exportArguments() + QStringList{"--dry-run"}, work.path());
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(dry.err, QString());
    EXPECT_EQ(count("OrvekMestre"), 0);
    EXPECT_EQ(count("OrvekAnalitico"), 0);

    // The same run, executed here on the same data and settings, statement by statement.
    RecordingSink recording;
    TQuery mestre;
    TQuery analitico;
    for (TQuery* query : {&mestre, &analitico})
        query->setDatabaseName(QStringLiteral("Confeccao"));
    configureQOrvekMestre(mestre);
    configureQOrvekAnalitico(analitico);
    TContarRegistro contarRegistro;
    ExportHooks hooks;
    hooks.statements = &recording;
    runExport({db->database(), mestre, analitico, contarRegistro}, QDate(2024, 3, 1),
              QDate(2024, 3, 31), regionalSettingsOf(QLocale(QStringLiteral("pt_BR"))), hooks);
    // Two master inserts, the accepted and the rejected analytic insert; the refused amount
    // never became a statement.
    ASSERT_EQ(recording.statements.size(), 4);
    EXPECT_EQ(count("OrvekMestre"), 2);
    EXPECT_EQ(dry.out, recording.statements.join(QStringLiteral("\r\n")));
}

TEST_F(CliOnEmbeddedDatabase, OutputThatCannotBeWrittenIsAFailure) {
    // A listing or summary lost to a full disk must not look like a finished job to a scheduler.
    for (const QStringList& arguments :
         {exportArguments() + QStringList{"--dry-run"}, exportArguments()}) {
        const Result result = runCli(arguments, work.path(), QStringLiteral("/dev/full"));
        const std::string input = arguments.join(u' ').toStdString();
        EXPECT_EQ(result.status, 1) << input;
        EXPECT_EQ(result.err,
                  QStringLiteral("orvek-cli: Standard output could not be written in full\n"))
            << input;
    }
    // The real run still did its work; only its summary was lost.
    EXPECT_EQ(count("OrvekMestre"), 2);
}

TEST_F(CliOnEmbeddedDatabase, InitCreatesOnlyWhatIsMissingAndKeepsWhatIsThere) {
    ASSERT_TRUE(db->exec("DROP TABLE OrvekAnalitico"));
    ASSERT_TRUE(db->exec("INSERT INTO OrvekMestre (Emissao, Serie) VALUES ('2024-01-02', 'Z')"));

    const Result init = runCli({QStringLiteral("init")}, work.path());
    EXPECT_EQ(init.status, 0);
    EXPECT_EQ(init.err, QString());
    EXPECT_EQ(init.out, QStringLiteral("Created: OrvekAnalitico\nAlready there: OrvekMestre\n"));

    const Result again =
        runCli({QStringLiteral("init"), QStringLiteral("--with-source")}, work.path());
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, QStringLiteral("Created: none\nAlready there: BR_REDUCAOZ, BR_ITENS_RZ, "
                                        "OrvekMestre, OrvekAnalitico\n"));
    EXPECT_EQ(db->rows("SELECT Emissao, Serie FROM OrvekMestre"), (Rows{{"2024-01-02", "Z"}}));
    EXPECT_EQ(count("BR_REDUCAOZ"), 2);
    // The new table serves a run; the refusing trigger went with the dropped one.
    EXPECT_EQ(runCli(exportArguments(), work.path()).status, 0);
    EXPECT_EQ(count("OrvekAnalitico"), 2);
}

TEST(CliInit, MakesTheEmbeddedDatabaseFileInAFolderThatExists) {
    QTemporaryDir work;
    const QString data = QDir(work.path()).filePath(QStringLiteral("dados"));
    ASSERT_TRUE(QDir().mkdir(data));
    writeSettings(work.path(), QStringLiteral("Standard"), data);
    const QString file = QDir(data).filePath(QStringLiteral("Confeccao.db"));

    const Result init = runCli({QStringLiteral("init")}, work.path());
    EXPECT_EQ(init.status, 0);
    EXPECT_EQ(init.err, QString());
    EXPECT_EQ(init.out, QStringLiteral("Created the database file %1\n"
                                       "Created: OrvekMestre, OrvekAnalitico\n"
                                       "Already there: none\n")
                            .arg(file));
    const Result source =
        runCli({QStringLiteral("init"), QStringLiteral("--with-source")}, work.path());
    EXPECT_EQ(source.out, QStringLiteral("Created: BR_REDUCAOZ, BR_ITENS_RZ\n"
                                         "Already there: OrvekMestre, OrvekAnalitico\n"));
    const Result run = runCli(exportArguments(), work.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, noRowsSummary());
}

TEST(CliDemo, DemoFolderThenAnExportOfItsRangeThenASecondWritingNothing) {
    QTemporaryDir work;
    const QString demo = QDir(work.path()).filePath(QStringLiteral("a/demo"));
    const QDate today = QDate::currentDate();
    const Result made = runCli({QStringLiteral("demo"), QStringLiteral("a/demo")}, work.path());
    if (QDate::currentDate() != today)
        GTEST_SKIP() << "the day changed while the demo was made";
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    EXPECT_EQ(made.err, QString());

    // What the demo holds: the generator's four printers over the three months before today.
    DemoDataShape shape;
    shape.printers = 4;
    shape.firstDay = today.addMonths(-3);
    shape.days = int(shape.firstDay.daysTo(today));
    const DemoDataCounts counts = generateDemoData(shape, [](const DemoReduction&) {});
    const QString inicio = shape.firstDay.toString(Qt::ISODate);
    const QString final = today.addDays(-1).toString(Qt::ISODate);
    EXPECT_EQ(made.out, QStringLiteral("Created %1 with Vendrake.ini and Confeccao.db: %2 Z "
                                       "reductions of 4 printers, from %3 to %4.\n"
                                       "Try it:\n"
                                       "  cd %1\n"
                                       "  %5 export --inicio %3 --final %4\n")
                            .arg(demo, QString::number(counts.reductions), inicio, final,
                                 QFileInfo(QStringLiteral(ORVEK_CLI)).canonicalFilePath()));

    const Result again = runCli({QStringLiteral("demo"), demo}, work.path());
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, QStringLiteral("orvek-cli: %1/Confeccao.db already exists: the demo is "
                                        "made in a new folder and never replaces a database or "
                                        "its settings\n")
                             .arg(demo));

    const QStringList range = {QStringLiteral("export"), QStringLiteral("--inicio"), inicio,
                               QStringLiteral("--final"), final};
    const Result run = runCli(range, demo);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, QString());
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.front(),
              QStringLiteral("Rows to handle: %1").arg(counts.reductions + counts.analyticItems));
    EXPECT_EQ(lines.mid(lines.size() - 3),
              (QStringList{QStringLiteral("Master rows written: %1").arg(counts.reductions),
                           QStringLiteral("Analytic rows written: %1").arg(counts.analyticItems),
                           QStringLiteral("Analytic inserts rejected: 0")}));

    const Result rerun = runCli(range, demo);
    EXPECT_EQ(rerun.status, 0);
    EXPECT_EQ(rerun.out, noRowsSummary());
}

} // namespace

// The export run on the embedded default against the set-based baseline: the same rows written
// by INSERT ... SELECT from the same source queries, one transaction per table. Prints rows per
// second for both, their ratio, and the peak resident memory of a run at 1x and 4x the data,
// each measured in a process of its own so that the peaks do not mix.
//
//   export_bench [--printers N] [--days D] [--repeat R]
//                                              default: a year of a 160-printer chain, 3 rounds
//   export_bench --generate DIR [--printers N] [--days D]
//                                              data only, in DIR/Confeccao.db, for profiling
//   export_bench --measure-run DIR FIRST LAST  one run over the days FIRST..LAST (ISO), then
//                                              its rows and peak resident memory
#include "components/ContarRegistro.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/RuntimeError.h"
#include "db/Schema.h"
#include "export/AnalyticPass.h"
#include "export/DemoData.h"
#include "export/ExportRun.h"
#include "export/MasterPass.h"
#include "export/RegionalSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
namespace {

const RegionalSettings kBrazil{QStringLiteral("dd/mm/yyyy"), u'/', u','};
const QString kFile = QStringLiteral("Confeccao.db");

// The master rows, converted in SQL as the master pass converts them, from its own source query.
const QStringList kMasterBaseline = {
    QStringLiteral("INSERT INTO OrvekMestre(Emissao, Serie, Equipamento, ModeloFiscal, "
                   "COOInicial, COOFinal, Reducoes, Reinicio, VendaBruta, TotalizadorGeral, "
                   "ModeloECF)"),
    QStringLiteral("SELECT strftime('%d/%m/%Y', DATA_MOVIMENTO), SERIAL, printf('%03d', "
                   "CAST(N_CAIXA AS INTEGER)), '2D', COO_INICIAL, COO_FINAL,"),
    QStringLiteral("CAST('0' || ifnull(Reducoes, '') AS REAL), CAST('0' || ifnull(Reinicio, '') "
                   "AS REAL),"),
    QStringLiteral("'0' || replace(replace(ifnull(VendaBruta, ''), '.', ''), ',', '.'),"),
    QStringLiteral("'0' || replace(replace(ifnull(TotalizadorGeral, ''), '.', ''), ',', '.'),"),
    QStringLiteral("MODELO FROM ("),
};

const QStringList kAnalyticBaseline = {
    QStringLiteral("INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, TotalizadorParcial)"),
    QStringLiteral("SELECT strftime('%d/%m/%Y', Data_Movimento), Serial, CASE"),
    QStringLiteral("WHEN Descricao = 'ISENTO ICMS' THEN 'T'"),
    QStringLiteral("WHEN Descricao = 'NÃO TRIBUTADO ICMS' THEN 'N'"),
    QStringLiteral("WHEN Descricao = 'SUBSTITUIÇÃO TRIBUTÁRIA ICMS' THEN 'F'"),
    QStringLiteral("WHEN Descricao = 'INENTO ISSQN' THEN 'ISS'"),
    QStringLiteral("WHEN DescricaoRZ = '3. CANCELAMENTO ICMS' THEN 'CANC'"),
    QStringLiteral("WHEN DescricaoRZ = '4. DESCONTO ICMS' THEN 'DESC'"),
    QStringLiteral("ELSE printf('%.15g', CAST(replace(Aliquota, ',', '.') AS REAL)) END,"),
    QStringLiteral("replace(replace(Valor, '.', ''), ',', '.') FROM ("),
};

// The connection a run uses, on Confeccao.db in dir, as the Standard profile configures it.
std::unique_ptr<TDatabase> openDatabase(const QString& dir) {
    auto database = std::make_unique<TDatabase>();
    database->setDatabaseName(QStringLiteral("Confeccao"));
    database->setDriverName(QStringLiteral("STANDARD"));
    database->params() << QStringLiteral("PATH=") + dir << QStringLiteral("DEFAULT DRIVER=PARADOX")
                       << QStringLiteral("ENABLE BCD=FALSE");
    database->setDayTextPattern(kBrazil.shortDatePattern, kBrazil.dateSeparator);
    database->open();
    return database;
}

DemoDataCounts createData(const QString& dir, const DemoDataShape& shape) {
    QDir().mkpath(dir);
    QFile file(QDir(dir).filePath(kFile));
    if (!file.open(QIODevice::WriteOnly))
        throw RuntimeError(QStringLiteral("Cannot create %1").arg(file.fileName()));
    file.close(); // an empty file is an empty SQLite database
    const auto database = openDatabase(dir);
    createMissingSchema(*database);
    return writeDemoData(*database, shape);
}

void copyData(const QString& from, const QString& to) {
    QDir().mkpath(to);
    const QString target = QDir(to).filePath(kFile);
    QFile::remove(target);
    if (!QFile::copy(QDir(from).filePath(kFile), target))
        throw RuntimeError(QStringLiteral("Cannot copy the data to %1").arg(to));
}

struct Range {
    QDate inicio;
    QDate final;
};

Range rangeOf(const DemoDataShape& shape) {
    return {shape.firstDay, shape.firstDay.addDays(shape.days - 1)};
}

// One whole export run on the data in dir; returns the rows it handled.
qint32 exportRun(const QString& dir, const Range& range) {
    const auto database = openDatabase(dir);
    TQuery mestre;
    TQuery analitico;
    for (TQuery* query : {&mestre, &analitico})
        query->setDatabaseName(database->databaseName());
    configureQOrvekMestre(mestre);
    configureQOrvekAnalitico(analitico);
    TContarRegistro contarRegistro;
    return runExport({*database, mestre, analitico, contarRegistro}, range.inicio, range.final,
                     kBrazil)
        .contador;
}

// The set-based baseline on the data in dir.
void baselineRun(const QString& dir, const Range& range) {
    const auto database = openDatabase(dir);
    const auto insertSelect = [&](const QStringList& head, const QStringList& source) {
        TQuery statement;
        statement.setDatabaseName(database->databaseName());
        statement.sql() = head + source + QStringList{QStringLiteral(") s")};
        statement.setParam(0, QDateTime(range.inicio, QTime(0, 0)));
        statement.setParam(1, QDateTime(range.final, QTime(0, 0)));
        database->startTransaction();
        statement.execSQL();
        database->commit();
    };
    TQuery mestre;
    TQuery analitico;
    configureQOrvekMestre(mestre);
    configureQOrvekAnalitico(analitico);
    insertSelect(kMasterBaseline, mestre.sql());
    insertSelect(kAnalyticBaseline, analitico.sql());
}

// Rows of a table of one file that the other lacks, both ways, plus the difference in counts.
qint64 differingRows(const QString& dirA, const QString& dirB) {
    QSqlDatabase compare =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("compare"));
    compare.setDatabaseName(QDir(dirA).filePath(kFile));
    qint64 differing = 0;
    if (!compare.open())
        throw RuntimeError(compare.lastError().text());
    {
        QSqlQuery query(compare);
        const auto single = [&](const QString& sql) {
            if (!query.exec(sql) || !query.next())
                throw RuntimeError(query.lastError().text());
            return query.value(0).toLongLong();
        };
        if (!query.exec(
                QStringLiteral("ATTACH DATABASE '%1' AS b").arg(QDir(dirB).filePath(kFile))))
            throw RuntimeError(query.lastError().text());
        for (const QString& table :
             {QStringLiteral("OrvekMestre"), QStringLiteral("OrvekAnalitico")}) {
            differing += single(QStringLiteral("SELECT count(*) FROM (SELECT * FROM main.%1 EXCEPT "
                                               "SELECT * FROM b.%1)")
                                    .arg(table));
            differing += single(QStringLiteral("SELECT count(*) FROM (SELECT * FROM b.%1 EXCEPT "
                                               "SELECT * FROM main.%1)")
                                    .arg(table));
            differing += qAbs(single(QStringLiteral("SELECT count(*) FROM main.%1").arg(table)) -
                              single(QStringLiteral("SELECT count(*) FROM b.%1").arg(table)));
        }
    }
    compare.close();
    compare = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("compare"));
    return differing;
}

// The process's own high-water mark. Not getrusage's ru_maxrss: Linux carries that over from
// the process that forked the measuring one.
long peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    }
    return -1;
}

// Child mode: one run on the data in dir, then the process's peak resident memory.
int measureRun(const QString& dir, const Range& range) {
    const long before = peakResidentKb();
    const qint32 rows = exportRun(dir, range);
    std::printf("%d %ld %ld\n", rows, before, peakResidentKb());
    return 0;
}

struct Peak {
    qint32 rows = 0;
    long beforeKb = 0;
    long peakKb = 0;
};

Peak peakInChild(const QString& dir, const Range& range) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure-run"), dir, range.inicio.toString(Qt::ISODate),
                 range.final.toString(Qt::ISODate)});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        throw RuntimeError(QStringLiteral("The measuring run failed: %1")
                               .arg(QString::fromLocal8Bit(child.readAllStandardError())));
    const QStringList figures = QString::fromLatin1(child.readAllStandardOutput()).split(u' ');
    if (figures.size() != 3)
        throw RuntimeError(QStringLiteral("The measuring run printed no figures"));
    return {figures[0].toInt(), figures[1].toLong(), figures[2].trimmed().toLong()};
}

double seconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

int benchmark(const DemoDataShape& shape, int repeat) {
    QTemporaryDir work;
    if (!work.isValid())
        throw RuntimeError(QStringLiteral("No temporary directory"));
    const auto dir = [&](const char* name) { return work.filePath(QString::fromLatin1(name)); };
    const Range range = rangeOf(shape);

    QElapsedTimer timer;
    timer.start();
    const DemoDataCounts counts = createData(dir("source"), shape);
    std::printf("data: %d printers x %d days: %lld reductions, %lld items (%lld analytic), "
                "written in %.1f s\n",
                shape.printers, shape.days, counts.reductions, counts.items, counts.analyticItems,
                seconds(timer));
    // The machine is shared: each side runs several times, alternating, on a fresh copy of the
    // data, and its best time counts.
    double runSeconds = 0;
    double baselineSeconds = 0;
    qint32 handled = 0;
    qint64 differing = 0;
    for (int round = 0; round < repeat; ++round) {
        copyData(dir("source"), dir("run"));
        copyData(dir("source"), dir("baseline"));

        timer.start();
        handled = exportRun(dir("run"), range);
        const double run = seconds(timer);

        timer.start();
        baselineRun(dir("baseline"), range);
        const double baseline = seconds(timer);

        std::printf("round %d: export run %.2f s, baseline %.2f s\n", round + 1, run, baseline);
        runSeconds = round == 0 ? run : qMin(runSeconds, run);
        baselineSeconds = round == 0 ? baseline : qMin(baselineSeconds, baseline);
        differing = qMax(differing, differingRows(dir("run"), dir("baseline")));
    }
    std::printf("rows written: %d (%lld master, %lld analytic); rows differing from the baseline: "
                "%lld\n",
                handled, counts.reductions, counts.analyticItems, differing);
    std::printf("export run:  %7.2f s  %9.0f rows/s (best of %d)\n", runSeconds,
                handled / runSeconds, repeat);
    std::printf("baseline:    %7.2f s  %9.0f rows/s (best of %d)\n", baselineSeconds,
                handled / baselineSeconds, repeat);
    std::printf("ratio run/baseline time: %.2f (target 1.5, at worst 3)\n",
                runSeconds / baselineSeconds);

    DemoDataShape fourfold = shape;
    fourfold.days = shape.days * 4;
    copyData(dir("source"), dir("memory1"));
    createData(dir("memory4"), fourfold);
    const Peak one = peakInChild(dir("memory1"), range);
    const Peak four = peakInChild(dir("memory4"), rangeOf(fourfold));
    std::printf("peak resident memory of a run: 1x %ld KiB (%d rows), 4x %ld KiB (%d rows); "
                "4x/1x %.3f (target 1.10); before the run %ld / %ld KiB\n",
                one.peakKb, one.rows, four.peakKb, four.rows, double(four.peakKb) / one.peakKb,
                one.beforeKb, four.beforeKb);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    try {
        if (args.size() == 5 && args[1] == u"--measure-run")
            return measureRun(args[2], {QDate::fromString(args[3], Qt::ISODate),
                                        QDate::fromString(args[4], Qt::ISODate)});
        DemoDataShape shape;
        int repeat = 3;
        const bool generateOnly = args.size() >= 3 && args[1] == u"--generate";
        for (qsizetype i = generateOnly ? 3 : 1; i + 1 < args.size(); i += 2) {
            if (args[i] == u"--printers")
                shape.printers = args[i + 1].toInt();
            else if (args[i] == u"--days")
                shape.days = args[i + 1].toInt();
            else if (args[i] == u"--repeat")
                repeat = qMax(1, args[i + 1].toInt());
        }
        if (generateOnly) {
            createData(args[2], shape);
            const Range range = rangeOf(shape);
            std::printf("%s %s\n", qPrintable(range.inicio.toString(Qt::ISODate)),
                        qPrintable(range.final.toString(Qt::ISODate)));
            return 0;
        }
        return benchmark(shape, repeat);
    } catch (const RuntimeError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
}

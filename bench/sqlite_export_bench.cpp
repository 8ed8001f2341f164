// Prints what the export costs on the embedded default: one literal INSERT per source row
// through a statement query, as the passes send them, against one INSERT ... SELECT, and the
// memory a source query takes while it streams its rows.
//   sqlite_export_bench [rows]   (default 200000)
#include "db/Database.h"
#include "db/Query.h"
#include "db/RuntimeError.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Peak resident memory of the process so far, in KiB.
long peakResidentKib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

void exec(const QString& sql) {
    TQuery q;
    q.setDatabaseName(QStringLiteral("Confeccao"));
    q.sql() = QStringList{sql};
    q.execSQL();
}

// Source items: `rows` of them over one month, ten printers.
void fillSource(TDatabase& database, int rows) {
    database.startTransaction();
    for (int i = 0; i < rows; ++i) {
        const QDate day = QDate(2024, 3, 1).addDays(i % 31);
        exec(QStringLiteral("INSERT INTO BR_ITENS_RZ VALUES ('%1', 'SERIE%2', 'Item %3', '18,00', "
                            "'%4,00')")
                 .arg(day.toString(Qt::ISODate))
                 .arg(i % 10)
                 .arg(i)
                 .arg(i % 1000));
    }
    database.commit();
}

// The analytic pass's loop: one statement query, its lines rebuilt and executed per row.
double perRowInserts(TDatabase& database, int rows, int batch) {
    TQuery source;
    source.setDatabaseName(QStringLiteral("Confeccao"));
    source.sql() = QStringList{
        QStringLiteral("SELECT BR_ITENS_RZ.Descricao DescricaoRZ, Descricao, Data_Movimento, "
                       "Serial, Aliquota, Valor "),
        QStringLiteral("FROM BR_ITENS_RZ"),
        QStringLiteral("WHERE DATA_MOVIMENTO BETWEEN :Inicio AND :Final"),
        QStringLiteral("  AND NOT Exists (SELECT Emissao FROM OrvekAnalitico WHERE "
                       "OrvekAnalitico.Emissao = BR_ITENS_RZ.DATA_MOVIMENTO AND "
                       "OrvekAnalitico.Serie = BR_ITENS_RZ.SERIAL)"),
        QStringLiteral("  AND (BR_ITENS_RZ.ALIQUOTA <> '' OR BR_ITENS_RZ.Descricao = '3. "
                       "CANCELAMENTO ICMS' OR BR_ITENS_RZ.Descricao = '4. DESCONTO ICMS')")};
    TField* dia = source.addField(QStringLiteral("QDia"), QStringLiteral("Data_Movimento"),
                                  FieldKind::DateTime);
    TField* serial =
        source.addField(QStringLiteral("QSerial"), QStringLiteral("Serial"), FieldKind::Text);
    TField* valor =
        source.addField(QStringLiteral("QValor"), QStringLiteral("Valor"), FieldKind::Text);
    source.setParam(0, QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
    source.setParam(1, QDateTime(QDate(2024, 3, 31), QTime(0, 0)));

    QElapsedTimer timer;
    timer.start();
    source.prepare();
    source.open();
    TQuery command;
    command.setDatabaseName(QStringLiteral("Confeccao"));
    int written = 0;
    if (batch > 1) {
        database.startTransaction();
    }
    for (; !source.eof(); source.next(), ++written) {
        if (batch > 1 && written > 0 && written % batch == 0) {
            database.commit();
            database.startTransaction();
        }
        const QDate day = dia->asDateTime().date();
        command.sql().clear();
        command.sql() << QStringLiteral("INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, "
                                        "TotalizadorParcial) Values(")
                      << QStringLiteral("'%1', '%2'")
                             .arg(day.toString(QStringLiteral("dd/MM/yyyy")), serial->asString())
                      << QStringLiteral(", 18")
                      << QStringLiteral(", %1)").arg(valor->asString().replace(',', '.'));
        command.execSQL();
    }
    if (batch > 1) {
        database.commit();
    }
    std::printf(
        "WAL file before the source query closes: %lld MiB\n",
        QFileInfo(QDir(qEnvironmentVariable("ORVEK_BENCH_DIR")).filePath("Confeccao.db-wal"))
                .size() >>
            20);
    source.close();
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (written != rows) {
        std::fprintf(stderr, "wrote %d rows of %d\n", written, rows);
    }
    return seconds;
}

// Literal INSERTs alone, no source query open: the layer's own cost per statement.
double statementsOnly(int rows) {
    TQuery command;
    command.setDatabaseName(QStringLiteral("Confeccao"));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rows; ++i) {
        command.sql().clear();
        command.sql() << QStringLiteral("INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, "
                                        "TotalizadorParcial) Values(")
                      << QStringLiteral("'%1/03/2024', 'SERIE%2'").arg(i % 28 + 1).arg(i % 10)
                      << QStringLiteral(", 18") << QStringLiteral(", %1.00)").arg(i % 1000);
        command.execSQL();
    }
    return timer.nsecsElapsed() / 1e9;
}

double insertSelect() {
    QElapsedTimer timer;
    timer.start();
    exec(QStringLiteral(
        "INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, TotalizadorParcial) SELECT "
        "Data_Movimento, Serial, 18, replace(Valor, ',', '.') FROM BR_ITENS_RZ WHERE "
        "Data_Movimento BETWEEN '2024-03-01' AND '2024-03-31'"));
    return timer.nsecsElapsed() / 1e9;
}

// Reads every source row through a source query; returns the growth of peak memory.
long streamingGrowthKib() {
    const long before = peakResidentKib();
    TQuery source;
    source.setDatabaseName(QStringLiteral("Confeccao"));
    source.sql() = QStringList{QStringLiteral("SELECT Descricao, Valor FROM BR_ITENS_RZ")};
    TField* descricao =
        source.addField(QStringLiteral("QDescricao"), QStringLiteral("Descricao"), FieldKind::Text);
    source.open();
    qsizetype characters = 0;
    for (; !source.eof(); source.next()) {
        characters += descricao->asString().size();
    }
    source.close();
    return peakResidentKib() - before + (characters < 0 ? 1 : 0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 200000;
    QTemporaryDir dir;
    qputenv("ORVEK_BENCH_DIR", dir.path().toUtf8());
    QFile(QDir(dir.path()).filePath(QStringLiteral("Confeccao.db"))).open(QIODevice::WriteOnly);
    try {
        TDatabase database;
        database.setDatabaseName(QStringLiteral("Confeccao"));
        database.setDriverName(QStringLiteral("STANDARD"));
        database.params() = QStringList{QStringLiteral("PATH=") + dir.path(),
                                        QStringLiteral("DEFAULT DRIVER=PARADOX"),
                                        QStringLiteral("ENABLE BCD=FALSE")};
        database.open();
        createMissingSchema(database);
        fillSource(database, rows);

        const long growth = streamingGrowthKib();
        std::printf("source query streaming %d rows: peak memory grew %ld KiB\n", rows, growth);

        for (int batch : {1, 1000}) {
            const double perRow = perRowInserts(database, rows, batch);
            std::printf("per-row literal INSERTs through execSQL, %s: %d rows in %.2f s, "
                        "%.0f rows/s\n",
                        batch == 1 ? "each on its own" : "committed every 1000", rows, perRow,
                        rows / perRow);
            exec(QStringLiteral("DELETE FROM OrvekAnalitico"));
        }
        const double alone = statementsOnly(rows);
        std::printf("the same INSERTs with no source query open: %d rows in %.2f s, %.0f rows/s\n",
                    rows, alone, rows / alone);
        exec(QStringLiteral("DELETE FROM OrvekAnalitico"));
        const double bulk = insertSelect();
        std::printf("one INSERT ... SELECT: %d rows in %.2f s, %.0f rows/s\n", rows, bulk,
                    rows / bulk);
    } catch (const RuntimeError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}

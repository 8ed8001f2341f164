// Whole export runs against a small database per case, once on every back-end the environment
// offers: what both summary tables hold afterwards, what the run reported, and how a run that
// ends on an error leaves things for the next one.
#include "components/ContarRegistro.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/RuntimeError.h"
#include "export/AnalyticPass.h"
#include "export/ExportRun.h"
#include "export/MasterPass.h"
#include "export/RegionalSettings.h"
#include "export/StatementSink.h"
#include "support/RecordingSink.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <gtest/gtest.h>
#include <memory>
#include <numeric>
#include <vector>

namespace {

const RegionalSettings kBrazil{QStringLiteral("dd/mm/yyyy"), u'/', u','};
const QDate kMarch1(2024, 3, 1);
const QDate kMarch31(2024, 3, 31);

const QString kMasterRows = QStringLiteral(
    "SELECT Emissao, Serie, Equipamento, ModeloFiscal, COOInicial, COOFinal, Reducoes, Reinicio, "
    "VendaBruta, TotalizadorGeral, ModeloECF FROM OrvekMestre ORDER BY Emissao, Serie");
const QString kAnalyticRows =
    QStringLiteral("SELECT Emissao, Serie, Aliquota, TotalizadorParcial FROM OrvekAnalitico "
                   "ORDER BY Emissao, Serie, TotalizadorParcial");

QString quoted(const QString& text) {
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

// What a run did: its count, every count it reported, its report, and the message it ended
// with.
struct Outcome {
    qint32 count = -1;
    std::vector<qint32> reported;
    ExportReport report;
    QString error;
};

// The skipped items of a report as rows: day, serial, item name, reason.
Rows skippedRows(const ExportReport& report) {
    Rows rows;
    for (const SkippedItem& item : report.skipped)
        rows.push_back({item.day.toString(Qt::ISODate), item.serial, item.descricao, item.reason});
    return rows;
}

class ExportRun : public testing::TestWithParam<TestBackend> {
protected:
    void SetUp() override {
        if (!testBackendAvailable(GetParam()))
            GTEST_SKIP() << testBackendMissing(GetParam());
        db = std::make_unique<TestDatabase>(GetParam());
        for (TQuery* query : {&mestre, &analitico})
            query->setDatabaseName(QStringLiteral("Confeccao"));
        mestre.setObjectName(QStringLiteral("QOrvekMestre"));
        analitico.setObjectName(QStringLiteral("QOrvekAnalitico"));
        configureQOrvekMestre(mestre);
        configureQOrvekAnalitico(analitico);
    }

    // A Z reduction; the counters and totals go in as items, as the printers store them, and
    // only when given.
    void reduction(const QString& day, const QString& serial, const QString& nCaixa,
                   const QString& modelo, const QString& reducoes = QStringLiteral("42"),
                   const QString& vendaBruta = QStringLiteral("1.234,56")) {
        db->exec(QStringLiteral("INSERT INTO BR_REDUCAOZ VALUES ('%1', %2, %3, 100, 250, %4)")
                     .arg(day, quoted(serial), quoted(nCaixa), quoted(modelo)));
        if (!reducoes.isNull())
            item(day, serial, QStringLiteral("3. Contador de Reduções Z"), QString(), reducoes);
        item(day, serial, QStringLiteral("2. Contador de Reinício de Operação"), QString(),
             QStringLiteral("3"));
        item(day, serial, QStringLiteral("2. VENDA BRUTA DIÁRIA"), QString(), vendaBruta);
        item(day, serial, QStringLiteral("1. TOTALIZADOR GERAL"), QString(),
             QStringLiteral("98.765,43"));
    }

    void item(const QString& day, const QString& serial, const QString& descricao,
              const QString& aliquota, const QString& valor) {
        db->exec(QStringLiteral("INSERT INTO BR_ITENS_RZ VALUES ('%1', %2, %3, %4, %5)")
                     .arg(day, quoted(serial), quoted(descricao), quoted(aliquota), quoted(valor)));
    }

    Outcome run(const RegionalSettings& settings = kBrazil, QDate from = kMarch1,
                QDate to = kMarch31, ExportHooks hooks = {}) {
        Outcome outcome;
        hooks.progress = [&outcome](qint32 count) { outcome.reported.push_back(count); };
        try {
            outcome.report = runExport({db->database(), mestre, analitico, contarRegistro}, from,
                                       to, settings, hooks);
            outcome.count = outcome.report.contador;
        } catch (const RuntimeError& error) {
            outcome.error = error.message();
        }
        // However the run ended, its source queries are closed.
        EXPECT_FALSE(mestre.active());
        EXPECT_FALSE(analitico.active());
        return outcome;
    }

    // 1, 2, ... n: the count the run reports after each row.
    static std::vector<qint32> counted(qint32 n) {
        std::vector<qint32> counts(std::size_t(n > 0 ? n : 0));
        std::iota(counts.begin(), counts.end(), 1);
        return counts;
    }

    qsizetype count(const QString& table) {
        return qsizetype(db->rows("SELECT * FROM " + table).size());
    }

    std::unique_ptr<TestDatabase> db;
    TQuery mestre;
    TQuery analitico;
    TContarRegistro contarRegistro;
};

TEST_P(ExportRun, StoresTheWorkedExamplesToTheLetter) {
    reduction("2024-03-15", "ABC123", "1", "MP-20");
    item("2024-03-15", "ABC123", "ICMS 18,00%", "18,00", "1.500,00");
    item("2024-03-15", "ABC123", "ISENTO ICMS", "I", "30,00");
    item("2024-03-15", "ABC123", "3. CANCELAMENTO ICMS", "", "12,50");
    item("2024-03-15", "ABC123", "ICMS 7,50%", "7,5", "100,00");
    // Outside the range: left alone.
    reduction("2024-04-01", "ABC123", "1", "MP-20");
    item("2024-04-01", "ABC123", "ICMS 18,00%", "18,00", "9,00");

    const Outcome outcome = run();
    EXPECT_EQ(outcome.error, QString());
    EXPECT_EQ(outcome.count, 5);
    EXPECT_EQ(outcome.reported, counted(5));
    EXPECT_EQ(db->rows(kMasterRows), (Rows{{"2024-03-15", "ABC123", "001", "2D", "100", "250", "42",
                                            "3", "1234.56", "98765.43", "MP-20"}}));
    EXPECT_EQ(db->rows(kAnalyticRows), (Rows{{"2024-03-15", "ABC123", "CANC", "12.5"},
                                             {"2024-03-15", "ABC123", "T", "30"},
                                             {"2024-03-15", "ABC123", "7.5", "100"},
                                             {"2024-03-15", "ABC123", "18", "1500"}}));
}

// Three reductions and five items the analytic query selects, with the odd values of real
// data: a missing counter, quotes, names near the tax-situation names, an empty amount.
class ExportRunMonth : public ExportRun {
protected:
    void SetUp() override {
        ExportRun::SetUp();
        if (IsSkipped())
            return;
        reduction("2024-03-01", "AB'C", "2", "D'OR");
        reduction("2024-03-02", "AB'C", "2", "D'OR", QString()); // no reductions counter
        reduction("2024-03-02", "XYZ9", "12", "MP-20");
        item("2024-03-01", "AB'C", "INENTO ISSQN", "S", "3,00");
        item("2024-03-01", "AB'C", "ISENTO ISSQN", "5,00", "4,00");  // one letter off
        item("2024-03-01", "AB'C", "5. ACRÉSCIMO ICMS", "", "1,00"); // not selected
        item("2024-03-02", "AB'C", "4. DESCONTO ICMS", "", "0,50");
        item("2024-03-02", "XYZ9", "ICMS 18,00%", "18,00", "1.000,00");
        item("2024-03-02", "XYZ9", "ICMS 12,00%", "12,00", ""); // skipped, yet counted
    }
};

TEST_P(ExportRunMonth, CountsEveryHandledRowAndASecondRunAddsNothing) {
    const Outcome first = run();
    EXPECT_EQ(first.error, QString());
    EXPECT_EQ(first.count, 8);
    EXPECT_EQ(first.reported, counted(8));
    EXPECT_EQ(count("OrvekMestre"), 3);
    EXPECT_EQ(count("OrvekAnalitico"), 4);

    const Outcome second = run();
    EXPECT_EQ(second.error, QString());
    EXPECT_EQ(second.count, 0);
    EXPECT_TRUE(second.reported.empty());
    EXPECT_EQ(count("OrvekMestre"), 3);
    EXPECT_EQ(count("OrvekAnalitico"), 4);
}

TEST_P(ExportRunMonth, ReportsTheTotalAheadTheRowsWrittenAndEachSkippedItem) {
    std::vector<qint32> totals;
    ExportHooks hooks;
    hooks.total = [&totals](qint32 total) { totals.push_back(total); };

    const Outcome first = run(kBrazil, kMarch1, kMarch31, hooks);
    EXPECT_EQ(first.error, QString());
    EXPECT_EQ(totals, std::vector<qint32>{8});
    EXPECT_EQ(first.report.masterRows, 3);
    EXPECT_EQ(first.report.analyticRows, 4);
    EXPECT_EQ(skippedRows(first.report), (Rows{{"2024-03-02", "XYZ9", "ICMS 12,00%",
                                                "'' is not a valid floating point value"}}));

    const Outcome second = run(kBrazil, kMarch1, kMarch31, hooks);
    EXPECT_EQ(totals, (std::vector<qint32>{8, 0}));
    EXPECT_EQ(second.report.masterRows, 0);
    EXPECT_EQ(second.report.analyticRows, 0);
    EXPECT_EQ(skippedRows(second.report), Rows{});
}

TEST_P(ExportRunMonth, DryRunListsExactlyWhatARealRunExecutesAndWritesNothing) {
    QStringList listed;
    ListingSink listing([&listed](const QString& statement) { listed.append(statement); });
    ExportHooks dry;
    dry.statements = &listing;
    const Outcome dryRun = run(kBrazil, kMarch1, kMarch31, dry);
    EXPECT_EQ(dryRun.error, QString());
    EXPECT_EQ(dryRun.count, 8);
    EXPECT_EQ(count("OrvekMestre"), 0);
    EXPECT_EQ(count("OrvekAnalitico"), 0);
    // Nothing was left open or locked: a real run goes ahead on the same connection.
    EXPECT_FALSE(db->database().inTransaction());

    RecordingSink recording;
    ExportHooks real;
    real.statements = &recording;
    ASSERT_EQ(run(kBrazil, kMarch1, kMarch31, real).error, QString());
    EXPECT_EQ(count("OrvekMestre"), 3);
    EXPECT_EQ(count("OrvekAnalitico"), 4);
    ASSERT_EQ(recording.statements.size(), 7);
    EXPECT_EQ(listed, recording.statements);
}

TEST_P(ExportRunMonth, StoresOddValuesAsTheyAreMeant) {
    ASSERT_EQ(run().error, QString());
    EXPECT_EQ(db->rows(kMasterRows), (Rows{{"2024-03-01", "AB'C", "002", "2D", "100", "250", "42",
                                            "3", "1234.56", "98765.43", "D'OR"},
                                           {"2024-03-02", "AB'C", "002", "2D", "100", "250", "0",
                                            "3", "1234.56", "98765.43", "D'OR"},
                                           {"2024-03-02", "XYZ9", "012", "2D", "100", "250", "42",
                                            "3", "1234.56", "98765.43", "MP-20"}}));
    EXPECT_EQ(db->rows(kAnalyticRows), (Rows{{"2024-03-01", "AB'C", "ISS", "3"},
                                             {"2024-03-01", "AB'C", "5", "4"},
                                             {"2024-03-02", "AB'C", "DESC", "0.5"},
                                             {"2024-03-02", "XYZ9", "18", "1000"}}));
}

TEST_P(ExportRun, WritesTheDayMeantUnderOtherRegionalSettings) {
    reduction("2024-03-05", "ABC123", "1", "MP-20");
    item("2024-03-05", "ABC123", "ICMS 7.5", "7.5", "100,00");
    const RegionalSettings unitedStates{QStringLiteral("m/d/yy"), u'-', u'.'};
    ASSERT_EQ(run(unitedStates).count, 2);
    EXPECT_EQ(db->rows("SELECT Emissao, Serie FROM OrvekMestre"), (Rows{{"2024-03-05", "ABC123"}}));
    EXPECT_EQ(db->rows(kAnalyticRows), (Rows{{"2024-03-05", "ABC123", "7.5", "100"}}));
    // Stored as the right day, the rows keep the next run, under any settings, from repeating.
    EXPECT_EQ(run(kBrazil).count, 0);
}

TEST_P(ExportRun, BadRegisterNumberEndsTheRunAfterTheRowsBeforeItAndARerunCompletesIt) {
    reduction("2024-03-01", "A", "1", "MP-20");
    reduction("2024-03-02", "B", "1,5", "MP-20");
    reduction("2024-03-03", "C", "3", "MP-20");
    for (const char* serial : {"A", "B", "C"})
        item("2024-03-01", serial, "ICMS 18,00%", "18,00", "1,00");

    const Outcome failed = run();
    EXPECT_EQ(failed.error, QStringLiteral("'1,5' is not a valid integer value"));
    const auto written = qsizetype(failed.reported.size());
    EXPECT_EQ(failed.reported, counted(qint32(written)));
    EXPECT_EQ(count("OrvekMestre"), written);
    EXPECT_EQ(db->rows("SELECT Serie FROM OrvekMestre WHERE Serie = 'B'"), Rows{});
    EXPECT_EQ(count("OrvekAnalitico"), 0);

    db->exec("UPDATE BR_REDUCAOZ SET N_CAIXA = '2' WHERE SERIAL = 'B'");
    const Outcome rerun = run();
    EXPECT_EQ(rerun.error, QString());
    EXPECT_EQ(rerun.count, qint32(3 - written + 3));
    EXPECT_EQ(db->rows("SELECT Serie, Equipamento FROM OrvekMestre ORDER BY Serie"),
              (Rows{{"A", "001"}, {"B", "002"}, {"C", "003"}}));
    EXPECT_EQ(count("OrvekAnalitico"), 3);
}

TEST_P(ExportRun, BadRateLeavesNoneOfTheRunsAnalyticRowsAndARerunWritesEveryItem) {
    reduction("2024-03-01", "A", "1", "MP-20");
    reduction("2024-03-02", "A", "1", "MP-20");
    item("2024-03-01", "A", "ICMS 18,00%", "18,00", "1,00");
    item("2024-03-01", "A", "ICMS 7,00%", "7,00", "2,00");
    item("2024-03-02", "A", "ICMS 12,00%", "12,00", "3,00");
    item("2024-03-02", "A", "ICMS ?", "doze", "4,00");

    const Outcome failed = run();
    EXPECT_EQ(failed.error, QStringLiteral("'doze' is not a valid floating point value"));
    EXPECT_EQ(count("OrvekMestre"), 2);
    // Items were inserted before the bad one, and were taken back with the run.
    EXPECT_GT(failed.reported.size(), 3u);
    EXPECT_EQ(count("OrvekAnalitico"), 0);

    db->exec("UPDATE BR_ITENS_RZ SET Aliquota = '12,00' WHERE Aliquota = 'doze'");
    const Outcome rerun = run();
    EXPECT_EQ(rerun.error, QString());
    EXPECT_EQ(rerun.count, 4);
    EXPECT_EQ(db->rows(kAnalyticRows), (Rows{{"2024-03-01", "A", "18", "1"},
                                             {"2024-03-01", "A", "7", "2"},
                                             {"2024-03-02", "A", "12", "3"},
                                             {"2024-03-02", "A", "12", "4"}}));
}

TEST_P(ExportRun, InsertTheEngineRejectsIsSkippedAloneInsideTheRunsTransaction) {
    if (GetParam() == TestBackend::Sqlite) {
        // SQLite stores any number; make it refuse this one as the servers refuse an amount
        // beyond the column's precision.
        ASSERT_TRUE(db->exec("CREATE TRIGGER Recusa BEFORE INSERT ON OrvekAnalitico WHEN "
                             "NEW.TotalizadorParcial > 1e16 BEGIN SELECT RAISE(ABORT, "
                             "'numeric field overflow'); END"));
    }
    reduction("2024-03-01", "A", "1", "MP-20");
    item("2024-03-01", "A", "ICMS 18,00%", "18,00", "1,00");
    item("2024-03-01", "A", "ICMS 12,00%", "12,00", "12345678901234567890,00");
    item("2024-03-01", "A", "ICMS 7,00%", "7,00", "2,00");

    const Outcome outcome = run();
    EXPECT_EQ(outcome.error, QString());
    EXPECT_EQ(outcome.count, 4);
    EXPECT_EQ(db->rows(kAnalyticRows),
              (Rows{{"2024-03-01", "A", "18", "1"}, {"2024-03-01", "A", "7", "2"}}));
    // The reason is the engine's own text; Firebird refuses the literal before any column sees it.
    const QString reason = QString::fromUtf8([&] {
        switch (GetParam()) {
        case TestBackend::Sqlite:
            return "numeric field overflow";
        case TestBackend::Firebird:
            return "Dynamic SQL Error - SQL error code = -104 - Token unknown - line 4, column 3 - "
                   "1";
        case TestBackend::Odbc:
            return "ERROR: numeric field overflow";
        }
        return "";
    }());
    EXPECT_EQ(outcome.report.analyticRows, 2);
    EXPECT_EQ(skippedRows(outcome.report), (Rows{{"2024-03-01", "A", "ICMS 12,00%", reason}}));
}

TEST_P(ExportRun, InjectionAttemptInAnAmountIsRefusedUnexecuted) {
    reduction("2024-03-01", "A", "1", "MP-20");
    reduction("2024-03-02", "B", "1", "MP-20", QStringLiteral("42"),
              QStringLiteral("1);DELETE FROM BR_ITENS_RZ;--"));
    const auto items = count("BR_ITENS_RZ");

    const Outcome outcome = run();
    EXPECT_EQ(
        outcome.error,
        QStringLiteral("'1);DELETE FROM BR_ITENS_RZ;--' is not a valid floating point value"));
    EXPECT_EQ(count("BR_ITENS_RZ"), items);
    EXPECT_EQ(db->rows("SELECT Serie FROM OrvekMestre WHERE Serie = 'B'"), Rows{});
}

INSTANTIATE_TEST_SUITE_P(Backends, ExportRun, testing::ValuesIn(allTestBackends()),
                         TestBackendName());
INSTANTIATE_TEST_SUITE_P(Backends, ExportRunMonth, testing::ValuesIn(allTestBackends()),
                         TestBackendName());

} // namespace

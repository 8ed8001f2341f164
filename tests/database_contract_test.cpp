// The data access contract, run once on every back-end the environment offers.
#include "db/Database.h"
#include "db/Query.h"
#include "db/RuntimeError.h"
#include "db/Schema.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <regex>

namespace {

// The tool's master source query, as it is sent.
const QStringList kMasterQuery = {
    QStringLiteral("SELECT DATA_MOVIMENTO, SERIAL, N_CAIXA, COO_INICIAL, COO_FINAL, MODELO,"),
    QStringLiteral("(SELECT Max(Valor) FROM BR_ITENS_RZ WHERE BR_REDUCAOZ.Data_Movimento = "
                   "BR_ITENS_RZ.Data_Movimento AND BR_REDUCAOZ.Serial = BR_ITENS_RZ.Serial AND "
                   "DESCRICAO = '3. Contador de Reduções Z') Reducoes,"),
    QStringLiteral("(SELECT Max(Valor) FROM BR_ITENS_RZ WHERE BR_REDUCAOZ.Data_Movimento = "
                   "BR_ITENS_RZ.Data_Movimento AND BR_REDUCAOZ.Serial = BR_ITENS_RZ.Serial AND "
                   "DESCRICAO = '2. VENDA BRUTA DIÁRIA') VendaBruta"),
    QStringLiteral("FROM BR_REDUCAOZ"),
    QStringLiteral("WHERE BR_REDUCAOZ.Data_Movimento BETWEEN :Inicio AND :Final"),
    QStringLiteral("  AND NOT Exists (SELECT Emissao FROM OrvekMestre WHERE OrvekMestre.Emissao "
                   "= BR_REDUCAOZ.DATA_MOVIMENTO AND OrvekMestre.Serie = BR_REDUCAOZ.SERIAL)"),
    QString(),
};

// The tool's analytic source query, as it is sent.
const QStringList kAnalyticQuery = {
    QStringLiteral("SELECT BR_ITENS_RZ.Descricao DescricaoRZ, Descricao, Data_Movimento, Serial, "
                   "Aliquota, Valor "),
    QStringLiteral("FROM BR_ITENS_RZ"),
    QStringLiteral("WHERE DATA_MOVIMENTO BETWEEN :Inicio AND :Final"),
    QStringLiteral("  AND NOT Exists (SELECT Emissao FROM OrvekAnalitico WHERE "
                   "OrvekAnalitico.Emissao = BR_ITENS_RZ.DATA_MOVIMENTO AND OrvekAnalitico.Serie "
                   "= BR_ITENS_RZ.SERIAL)"),
    QStringLiteral("  AND (BR_ITENS_RZ.ALIQUOTA <> '' OR BR_ITENS_RZ.Descricao = '3. "
                   "CANCELAMENTO ICMS' OR BR_ITENS_RZ.Descricao = '4. DESCONTO ICMS')"),
};

QDateTime day(int y, int m, int d) {
    return QDateTime(QDate(y, m, d), QTime(0, 0));
}

// Day text as the tool writes it: d, dd, m, mm, yy, yyyy; "/" is the date separator.
QString dayText(const QDate& date, const QString& pattern, QChar separator) {
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i].toLower();
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run].toLower() == c) {
            ++run;
        }
        if (c == QLatin1Char('d') || c == QLatin1Char('m')) {
            const int value = c == QLatin1Char('d') ? date.day() : date.month();
            out += run >= 2 ? QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'))
                            : QString::number(value);
        } else if (c == QLatin1Char('y')) {
            out += run >= 3 ? QString::number(date.year())
                            : QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
        } else {
            out += (c == QLatin1Char('/') ? QString(separator) : QString(pattern[i])).repeated(run);
        }
        i += run;
    }
    return out;
}

std::string text(const QString& s) {
    return s.toStdString();
}

class DatabaseContract : public testing::TestWithParam<TestBackend> {
protected:
    void SetUp() override {
        if (!testBackendAvailable(GetParam())) {
            GTEST_SKIP() << testBackendMissing(GetParam());
        }
        db = std::make_unique<TestDatabase>(GetParam());
    }

    // A query on the connection under test, owned by the test.
    TQuery& query(const QStringList& sql, const QString& name = QStringLiteral("QTeste")) {
        queries.push_back(std::make_unique<TQuery>());
        TQuery& q = *queries.back();
        q.setObjectName(name);
        q.setDatabaseName(QStringLiteral("confeccao")); // found without regard to case
        q.sql() = sql;
        return q;
    }

    void execSQL(const QStringList& sql) {
        TQuery& q = query(sql, QStringLiteral("QComando"));
        q.execSQL();
    }

    void openRange(TQuery& q, const QDateTime& from, const QDateTime& to) {
        q.setParam(0, from);
        q.setParam(1, to);
        q.prepare();
        q.open();
    }

    // The error message of a step that must fail.
    template <typename Step>
    std::string failure(Step step) {
        try {
            step();
        } catch (const RuntimeError& error) {
            return text(error.message());
        }
        ADD_FAILURE() << "the step did not fail";
        return {};
    }

    std::unique_ptr<TestDatabase> db;
    std::vector<std::unique_ptr<TQuery>> queries;
};

TEST_P(DatabaseContract, BindsParametersByPositionOutsideQuotedText) {
    db->exec({"INSERT INTO BR_REDUCAOZ VALUES ('2024-03-14', 'A', '1', 1, 2, ':x')",
              "INSERT INTO BR_REDUCAOZ VALUES ('2024-03-15', 'B', '1', 1, 2, ':x')",
              "INSERT INTO BR_REDUCAOZ VALUES ('2024-03-16', 'C', '1', 1, 2, ':x')",
              "INSERT INTO BR_REDUCAOZ VALUES ('2024-03-17', 'D', '1', 1, 2, 'other')"});
    // The names do not matter, only the order; ':Final' inside quotes is text.
    TQuery& q = query({"SELECT SERIAL FROM BR_REDUCAOZ",
                       "WHERE DATA_MOVIMENTO BETWEEN :Zulu AND :Alfa AND MODELO = ':x'",
                       "AND SERIAL <> ':Final' ORDER BY SERIAL"});
    ASSERT_EQ(q.paramCount(), 2);
    q.addField("QTesteSERIAL", "SERIAL", FieldKind::Text);
    openRange(q, day(2024, 3, 15), day(2024, 3, 17));
    QStringList seen;
    for (; !q.eof(); q.next()) {
        seen << q.fieldByName("serial")->asString();
    }
    EXPECT_EQ(seen, QStringList({"B", "C"}));
}

TEST_P(DatabaseContract, ReadsEachFieldKindAndNull) {
    // Accents, quotes and the column's full width must come back whole.
    const QString longText =
        QStringLiteral("SUBSTITUIÇÃO TRIBUTÁRIA ICMS ") + QString(51, QLatin1Char('x'));
    ASSERT_EQ(longText.size(), 80);
    db->exec({QStringLiteral("INSERT INTO BR_ITENS_RZ VALUES ('2024-02-29', 'O''B', '%1', '', "
                             "'1.234,56')")
                  .arg(longText),
              "INSERT INTO BR_ITENS_RZ (Serial) VALUES ('NULLS')",
              "INSERT INTO BR_REDUCAOZ VALUES ('1999-12-31', 'MAX', '1', 2147483647, "
              "-2147483648, '')",
              "INSERT INTO BR_REDUCAOZ (SERIAL) VALUES ('NULLS')"});

    TQuery& items = query({"SELECT Data_Movimento, Serial, Descricao, Valor FROM BR_ITENS_RZ",
                           "ORDER BY Serial DESC"});
    TField* dia = items.addField("QDia", "DATA_MOVIMENTO", FieldKind::DateTime);
    TField* serial = items.addField("QSerial", "Serial", FieldKind::Text);
    TField* descricao = items.addField("QDescricao", "Descricao", FieldKind::Text);
    items.open();
    ASSERT_FALSE(items.eof());
    EXPECT_EQ(serial->asString(), QStringLiteral("O'B"));
    EXPECT_EQ(descricao->asString(), longText);
    EXPECT_EQ(dia->asDateTime(), day(2024, 2, 29));
    EXPECT_FALSE(dia->isNull());
    items.next();
    ASSERT_FALSE(items.eof());
    EXPECT_TRUE(descricao->isNull());
    EXPECT_EQ(descricao->asString(), QString());
    EXPECT_EQ(dia->asDateTime(), day(1899, 12, 30));
    items.next();
    EXPECT_TRUE(items.eof());
    items.close();

    TQuery& counters = query({"SELECT COO_INICIAL, COO_FINAL FROM BR_REDUCAOZ ORDER BY SERIAL"});
    TField* first = counters.addField("QFirst", "COO_INICIAL", FieldKind::Integer);
    TField* last = counters.addField("QLast", "COO_FINAL", FieldKind::Integer);
    counters.open();
    EXPECT_EQ(first->asInteger(), 2147483647);
    EXPECT_EQ(last->asInteger(), -2147483647 - 1);
    counters.next();
    EXPECT_EQ(first->asInteger(), 0);
    EXPECT_TRUE(first->isNull());
}

TEST_P(DatabaseContract, OpeningFailsNamingAMissingColumnOrAWrongKind) {
    db->exec("CREATE TABLE TIPOS (Inteiro INTEGER, Fracao NUMERIC(10, 2), Texto VARCHAR(10), "
             "Dia DATE)");
    struct Case {
        const char* column;
        FieldKind kind;
        const char* expected; // a regular expression for the whole message
    };
    const Case cases[] = {
        {"Ausente", FieldKind::Text, "QTeste: The result has no column Ausente"},
        {"Fracao", FieldKind::Integer,
         "QTeste: Column FRACAO is NUMERIC.*, but field QCampo needs an integer column"},
        {"Texto", FieldKind::Integer,
         "QTeste: Column TEXTO is .*CHAR.*, but field QCampo needs an integer column"},
        {"Texto", FieldKind::DateTime,
         "QTeste: Column TEXTO is .*CHAR.*, but field QCampo needs a date or time column"},
        {"Inteiro", FieldKind::Text,
         "QTeste: Column INTEIRO is INT.*, but field QCampo needs a character column"},
        {"Dia", FieldKind::Integer,
         "QTeste: Column DIA is DATE, but field QCampo needs an integer column"},
    };
    for (const Case& c : cases) {
        TQuery& q = query({"SELECT Inteiro, Fracao, Texto, Dia FROM TIPOS"});
        q.addField("QCampo", c.column, c.kind);
        const std::string message = failure([&] { q.open(); });
        // Engines spell column and type names in their own letter case.
        EXPECT_TRUE(std::regex_match(message, std::regex(c.expected, std::regex::icase)))
            << c.column << ": " << message;
        EXPECT_FALSE(q.active()) << c.column;
    }
}

TEST_P(DatabaseContract, SendsEachLineFollowedByCrLf) {
    TQuery& q = query({"INSERT INTO BR_ITENS_RZ (Serial, Descricao) -- the line break ends this",
                       "VALUES ('CRLF', 'a", "b')"});
    EXPECT_EQ(q.statementText(), QStringLiteral("INSERT INTO BR_ITENS_RZ (Serial, Descricao) -- "
                                                "the line break ends this\r\nVALUES ('CRLF', "
                                                "'a\r\nb')\r\n"));
    q.execSQL();
    EXPECT_EQ(db->rows("SELECT Descricao FROM BR_ITENS_RZ WHERE Serial = 'CRLF'"),
              (Rows{{"a\r\nb"}}));
}

TEST_P(DatabaseContract, DaysRoundTripUnderEachShortDatePattern) {
    struct Pattern {
        const char* pattern;
        char separator;
    };
    // Days whose day and month both fit as a month are the ones a wrong reading corrupts.
    const QDate days[] = {QDate(2024, 3, 5), QDate(2024, 3, 15), QDate(1999, 12, 31),
                          QDate(2024, 11, 2)};
    for (const Pattern p :
         {Pattern{"dd/mm/yyyy", '/'}, Pattern{"m/d/yy", '-'}, Pattern{"yyyy-mm-dd", '.'}}) {
        SCOPED_TRACE(p.pattern);
        db->exec({"DELETE FROM BR_REDUCAOZ", "DELETE FROM OrvekMestre"});
        for (const QDate& d : days) {
            db->exec(QStringLiteral("INSERT INTO BR_REDUCAOZ VALUES ('%1', 'S%2', '1', 1, 2, "
                                    "'M')")
                         .arg(d.toString(Qt::ISODate))
                         .arg(d.day()));
        }
        db->database().setDayTextPattern(QString::fromLatin1(p.pattern), QLatin1Char(p.separator));
        for (int pass = 1; pass <= 2; ++pass) {
            TQuery& master = query(kMasterQuery);
            TField* dia = master.addField("QDia", "DATA_MOVIMENTO", FieldKind::DateTime);
            TField* serial = master.addField("QSerial", "SERIAL", FieldKind::Text);
            openRange(master, day(1990, 1, 1), day(2030, 1, 1));
            int inserted = 0;
            for (; !master.eof(); master.next(), ++inserted) {
                const QString when =
                    dayText(dia->asDateTime().date(), QString::fromLatin1(p.pattern),
                            QLatin1Char(p.separator));
                execSQL({"INSERT INTO OrvekMestre(Emissao, Serie) Values(",
                         QStringLiteral("'%1', '%2')").arg(when, serial->asString())});
            }
            master.close();
            EXPECT_EQ(inserted, pass == 1 ? 4 : 0) << "pass " << pass;
        }
        EXPECT_EQ(db->rows("SELECT Emissao, Serie FROM OrvekMestre ORDER BY Emissao"),
                  (Rows{{"1999-12-31", "S31"},
                        {"2024-03-05", "S5"},
                        {"2024-03-15", "S15"},
                        {"2024-11-02", "S2"}}));
    }
}

TEST_P(DatabaseContract, RefusesDayTextThatNamesNoDay) {
    db->database().setDayTextPattern("dd/mm/yyyy", QLatin1Char('/'));
    for (const char* when : {"31/02/2024", "2024", "15/13/2024"}) {
        const std::string message = failure([&] {
            execSQL({QStringLiteral("INSERT INTO OrvekAnalitico(Emissao, Serie) Values('%1', 'X')")
                         .arg(QLatin1String(when))});
        });
        // PostgreSQL words its own refusal; the other engines read the day text themselves.
        if (GetParam() != TestBackend::Odbc) {
            EXPECT_EQ(message, "'" + std::string(when) + "' is not a day written as dd/mm/yyyy");
        } else {
            EXPECT_FALSE(message.empty()) << when;
        }
    }
    EXPECT_EQ(db->rows("SELECT COUNT(*) FROM OrvekAnalitico"), (Rows{{"0"}}));
}

TEST_P(DatabaseContract, SourceResultsStayAsOpenedWhileInserting) {
    // Six items of one day and printer: writing the first analytic row of that day must not
    // hide the other five from the open query, and new source rows must not join it; the
    // same whether each insert commits on its own or all wait for one commit.
    for (int i = 1; i <= 6; ++i) {
        db->exec(QStringLiteral("INSERT INTO BR_ITENS_RZ VALUES ('2024-03-15', 'ABC', 'Item "
                                "%1', '18,00', '%1,00')")
                     .arg(i));
    }
    for (bool inTransaction : {false, true}) {
        SCOPED_TRACE(inTransaction ? "in a transaction" : "each on its own");
        db->exec({"DELETE FROM OrvekAnalitico", "DELETE FROM BR_ITENS_RZ WHERE Serial = 'NEW'"});
        if (inTransaction) {
            db->database().startTransaction();
        }
        TQuery& analytic = query(kAnalyticQuery);
        TField* valor = analytic.addField("QValor", "Valor", FieldKind::Text);
        TField* dia = analytic.addField("QDia", "Data_Movimento", FieldKind::DateTime);
        openRange(analytic, day(2024, 3, 1), day(2024, 3, 31));
        QStringList seen;
        for (; !analytic.eof(); analytic.next()) {
            seen << valor->asString();
            execSQL({"INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, TotalizadorParcial) "
                     "Values(",
                     QStringLiteral("'%1', 'ABC'")
                         .arg(dayText(dia->asDateTime().date(), "dd/mm/yyyy", QLatin1Char('/'))),
                     ", 18", ", 1.00)"});
            execSQL({"INSERT INTO BR_ITENS_RZ VALUES ('2024-03-16', 'NEW', 'Late', '7', '1,00')"});
        }
        analytic.close();
        if (inTransaction) {
            db->database().commit();
        }
        seen.sort();
        EXPECT_EQ(seen, QStringList({"1,00", "2,00", "3,00", "4,00", "5,00", "6,00"}));
        EXPECT_EQ(db->rows("SELECT COUNT(*) FROM OrvekAnalitico"), (Rows{{"6"}}));
    }
}

TEST_P(DatabaseContract, TransactionUndoesARejectedStatementAlone) {
    const QStringList good = {"INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, "
                              "TotalizadorParcial) Values(",
                              "'15/03/2024', 'ABC'", ", 'T'", ", 30.00)"};
    // An item with an empty value: the engine rejects the statement.
    const QStringList bad = {"INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, "
                             "TotalizadorParcial) Values(",
                             "'15/03/2024', 'ABC'", ", 'T'", ", )"};
    TDatabase& database = db->database();
    database.startTransaction();
    EXPECT_TRUE(database.inTransaction());
    execSQL(good);
    EXPECT_FALSE(failure([&] { execSQL(bad); }).empty());
    execSQL(good);
    // Not visible to others before the commit.
    EXPECT_EQ(db->rows("SELECT COUNT(*) FROM OrvekAnalitico"), (Rows{{"0"}}));
    database.commit();
    EXPECT_FALSE(database.inTransaction());
    EXPECT_EQ(db->rows("SELECT COUNT(*) FROM OrvekAnalitico"), (Rows{{"2"}}));

    database.startTransaction();
    execSQL(good);
    database.rollback();
    EXPECT_EQ(db->rows("SELECT COUNT(*) FROM OrvekAnalitico"), (Rows{{"2"}}));
    // Without a transaction each statement takes effect on its own.
    execSQL(good);
    EXPECT_EQ(db->rows("SELECT COUNT(*) FROM OrvekAnalitico"), (Rows{{"3"}}));
}

TEST_P(DatabaseContract, ATransactionThatCannotBeKeptIsTakenBackAndSaysSo) {
    if (GetParam() != TestBackend::Odbc)
        GTEST_SKIP() << "only PostgreSQL undoes a rejected statement through a savepoint";
    const QStringList good = {"INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, "
                              "TotalizadorParcial) Values(",
                              "'15/03/2024', 'ABC'", ", 'T'", ", 30.00)"};
    TDatabase& database = db->database();
    database.startTransaction();
    execSQL(good);
    // Takes away the savepoint that guards each statement, so the statement cannot be closed
    // off alone and PostgreSQL aborts the transaction: a caller told that the transaction goes
    // on would commit an aborted one, which PostgreSQL turns into a rollback without an error.
    EXPECT_FALSE(failure([&] { execSQL({"RELEASE SAVEPOINT orvek_statement"}); }).empty());
    EXPECT_FALSE(database.inTransaction());
    EXPECT_EQ(db->rows("SELECT COUNT(*) FROM OrvekAnalitico"), (Rows{{"0"}}));
    // The connection goes on working.
    execSQL(good);
    EXPECT_EQ(db->rows("SELECT COUNT(*) FROM OrvekAnalitico"), (Rows{{"1"}}));
}

TEST_P(DatabaseContract, FirstPrepareOpensAConnectionThatFailedToOpen) {
    db->exec("INSERT INTO BR_REDUCAOZ VALUES ('2024-03-15', 'ABC', '1', 1, 2, 'M')");
    TDatabase& database = db->database();
    database.close();
    db->closeSetupConnection();
    // Take away what the connection names (the directory, the database file, the server's
    // database) and give it back: the connection keeps its type and parameters throughout.
    const QString caminho = db->settings().caminho;
    const QString firebirdFile = caminho.mid(caminho.indexOf(':') + 1);
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QString moved = elsewhere.filePath("moved");
    // The test's PostgreSQL database bears its data source's name.
    const auto renamePostgres = [&](const QString& from, const QString& to) {
        const QString name = QStringLiteral("orvek-rename");
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
            admin.setDatabaseName(qEnvironmentVariable("ORVEK_TEST_ODBC_DSN"));
            admin.setUserName(QStringLiteral("sa"));
            ASSERT_TRUE(admin.open()) << admin.lastError().text().toStdString();
            QSqlQuery rename(admin);
            EXPECT_TRUE(rename.exec(QStringLiteral("ALTER DATABASE %1 RENAME TO %2").arg(from, to)))
                << rename.lastError().text().toStdString();
        }
        QSqlDatabase::removeDatabase(name);
    };
    switch (GetParam()) {
    case TestBackend::Sqlite:
        ASSERT_TRUE(QDir().rename(caminho, moved));
        break;
    case TestBackend::Firebird:
        ASSERT_TRUE(QFile::rename(firebirdFile, firebirdFile + ".moved"));
        break;
    case TestBackend::Odbc:
        renamePostgres(caminho, caminho + "_away");
        break;
    }
    EXPECT_FALSE(failure([&] { database.open(); }).empty());
    EXPECT_FALSE(database.connected());
    switch (GetParam()) {
    case TestBackend::Sqlite:
        ASSERT_TRUE(QDir().rename(moved, caminho));
        break;
    case TestBackend::Firebird:
        ASSERT_TRUE(QFile::rename(firebirdFile + ".moved", firebirdFile));
        break;
    case TestBackend::Odbc:
        renamePostgres(caminho + "_away", caminho);
        break;
    }

    TQuery& q = query(kMasterQuery);
    q.addField("QSerial", "SERIAL", FieldKind::Text);
    openRange(q, day(2024, 3, 15), day(2024, 3, 15));
    EXPECT_TRUE(database.connected());
    EXPECT_EQ(q.fieldByName("SERIAL")->asString(), QStringLiteral("ABC"));
    EXPECT_EQ(failure([&] { q.prepare(); }), "QTeste: An open query cannot be prepared");
    // Closing the connection closes its queries.
    database.close();
    EXPECT_FALSE(q.active());
    EXPECT_TRUE(q.eof());
}

TEST_P(DatabaseContract, CreatesWhatTheSchemaLacksAndConvertsDaysInIt) {
    TDatabase& database = db->database();
    EXPECT_EQ(createMissingSchema(database), QStringList());

    // A table made after the connection opened still gets the day conversion.
    database.close();
    db->closeSetupConnection();
    QStringList dropped;
    if (GetParam() == TestBackend::Firebird) {
        db->exec("DROP VIEW OrvekAnaliticoEntrada");
        dropped << "OrvekAnaliticoEntrada";
    }
    db->exec("DROP TABLE OrvekAnalitico");
    dropped.prepend("OrvekAnalitico");
    db->closeSetupConnection();
    database.open();
    EXPECT_EQ(createMissingSchema(database), dropped);
    database.setDayTextPattern("dd/mm/yyyy", QLatin1Char('/'));
    execSQL({"INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, TotalizadorParcial) Values(",
             "'05/03/2024', 'ABC'", ", 'T'", ", 1.00)"});
    EXPECT_EQ(db->rows("SELECT Emissao, Serie, Aliquota FROM OrvekAnalitico"),
              (Rows{{"2024-03-05", "ABC", "T"}}));
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseContract, testing::ValuesIn(allTestBackends()),
                         TestBackendName());

// Firebird: a database whose schema lacks the day conversion is refused the tool's inserts
// instead of being given a wrong day.
TEST(FirebirdConnection, RefusesInsertsWhereTheDayConversionIsMissing) {
    if (!testBackendAvailable(TestBackend::Firebird)) {
        GTEST_SKIP() << testBackendMissing(TestBackend::Firebird);
    }
    TestDatabase db(TestBackend::Firebird);
    db.database().close();
    db.exec("DROP VIEW OrvekMestreEntrada");
    TQuery q;
    q.setDatabaseName("Confeccao");
    q.sql() = QStringList{"INSERT INTO OrvekMestre(Emissao, Serie) Values(", "'05/03/2024', 'X')"};
    try {
        q.execSQL();
        FAIL() << "inserted without the conversion";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("This database cannot store the days of inserts into OrvekMestre: "
                                 "it lacks the view OrvekMestreEntrada that reads their day text "
                                 "(create it from schema/firebird.sql). Nothing was written"));
    }
    EXPECT_EQ(db.rows("SELECT COUNT(*) FROM OrvekMestre"), (Rows{{"0"}}));
}

// What a user sees when a server cannot be reached or refuses the login. Each case fails
// before any database is touched, so these need no database of their own.
TEST(ServerConnection, MessagesOfServersThatCannotBeUsed) {
    struct Case {
        const char* what;
        const char* alias;
        QStringList params;
        const char* expected;
        bool needsFirebird;
    };
    const QString fbDir = qEnvironmentVariable("ORVEK_TEST_FIREBIRD_DIR");
    const Case cases[] = {
        {"Firebird server down",
         "Krevan",
         {"SERVER NAME=localhost/1:/tmp/Confeccao.fdb", "USER NAME=SYSDBA", "password=plumtrove"},
         "Unable to complete network request to host \"localhost\". - Failed to establish a "
         "connection.",
         false},
        {"Firebird wrong password",
         "Krevan",
         {"SERVER NAME=localhost:" + fbDir + "/Confeccao.fdb", "USER NAME=SYSDBA",
          "password=wrong"},
         "Your user name and password are not defined. Ask your database administrator to set "
         "up a Firebird login.",
         true},
        {"unknown data source",
         "NoSuchAlias",
         {"USER NAME=sa"},
         "[unixODBC][Driver Manager]Data source name not found and no default driver specified",
         false},
        {"SQL Server unreachable through FreeTDS",
         "orvek_tds_down",
         {"USER NAME=sa"},
         "[FreeTDS][SQL Server]Unable to connect to data source [FreeTDS][SQL Server]Unable to "
         "connect: Adaptive Server is unavailable or does not exist",
         false},
    };
    // A data source on a loopback port where nothing listens.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile ini(dir.filePath("odbc.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[orvek_tds_down]\nDriver=FreeTDS\nServer=127.0.0.1\nPort=1\n"
              "Database=Confeccao\nTDS_Version=7.4\n");
    ini.close();
    const QByteArray previousIni = qgetenv("ODBCINI");
    qputenv("ODBCINI", ini.fileName().toUtf8());
    for (const Case& c : cases) {
        if (c.needsFirebird && fbDir.isEmpty()) {
            continue;
        }
        TDatabase database;
        database.setDatabaseName("Servidor");
        database.setAliasName(c.alias);
        database.params() = c.params;
        try {
            database.open();
            ADD_FAILURE() << c.what << ": opened";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.message().toStdString(), c.expected) << c.what;
        }
        EXPECT_FALSE(database.connected()) << c.what;
    }
    if (previousIni.isNull()) {
        qunsetenv("ODBCINI");
    } else {
        qputenv("ODBCINI", previousIni);
    }
}

// The embedded default: what a user sees when the directory or file is missing, and a run
// that recovers once the directory is back.
TEST(SqliteConnection, MissingDirectoryOrFileIsAnErrorNamingThePath) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missingDir = dir.filePath("Dados");
    TDatabase database;
    database.setDatabaseName("Confeccao");
    database.setDriverName("STANDARD");
    database.params() =
        QStringList{"PATH=" + missingDir, "DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"};
    try {
        database.open();
        FAIL() << "opened a missing directory";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("The database directory %1 does not exist").arg(missingDir));
    }
    ASSERT_TRUE(QDir().mkdir(missingDir));
    try {
        database.open();
        FAIL() << "opened a missing file";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(
            error.message(),
            QStringLiteral("The database file %1/Confeccao.db does not exist").arg(missingDir));
    }
    EXPECT_FALSE(QFile::exists(missingDir + "/Confeccao.db")) << "a database was created";
    EXPECT_FALSE(database.connected());

    // The cause goes away; the first prepare of a run opens the connection.
    QFile file(missingDir + "/Confeccao.db");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    TQuery q;
    q.setDatabaseName("CONFECCAO");
    q.sql() = QStringList{"SELECT 1 AS Um"};
    q.prepare();
    EXPECT_TRUE(database.connected());
}

} // namespace

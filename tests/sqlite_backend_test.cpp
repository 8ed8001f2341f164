// The embedded default's own machinery: inserts run through cached statements of their shape
// store and refuse exactly what their literal text would, and its connections are Qt SQL ones
// that never create a database and leave nothing registered once closed.
#include "db/Database.h"
#include "db/LiteralStatement.h"
#include "db/Query.h"
#include "db/RuntimeError.h"
#include "db/SqliteConnection.h"
#include "db/SqliteStatementCache.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>

namespace {

// The same statement, with a comment that makes the layer run it as SQLite compiles the text.
QString plainPath(const QString& sql) {
    return sql + QStringLiteral("\r\n-- plain path");
}

bool simple(const QString& sql) {
    LiteralStatement statement;
    return splitLiterals(sql.toUtf8(), statement);
}

class SqliteStatements : public testing::Test {
protected:
    void SetUp() override { db = std::make_unique<TestDatabase>(TestBackend::Sqlite); }

    // Runs a statement query through the layer: empty when it succeeded, else the message.
    QString run(const QString& sql) {
        TQuery statement;
        statement.setDatabaseName(QStringLiteral("Confeccao"));
        statement.sql() = QStringList{sql};
        try {
            statement.execSQL();
        } catch (const RuntimeError& error) {
            return error.message();
        }
        return {};
    }

    std::unique_ptr<TestDatabase> db;
};

TEST_F(SqliteStatements, CachedInsertsStoreWhatTheirLiteralTextStores) {
    const QString columns = QStringLiteral("(k INTEGER, tx TEXT, i INTEGER, n NUMERIC, r REAL, b)");
    ASSERT_TRUE(db->exec({QStringLiteral("CREATE TABLE Cached") + columns,
                          QStringLiteral("CREATE TABLE Plain") + columns}));
    const QStringList values = {
        QStringLiteral("'15/03/2024'"),
        QStringLiteral("'AB''C'"),
        QStringLiteral("''"),
        QStringLiteral("'1.50'"),
        QStringLiteral("' 12 '"),
        QStringLiteral("'12'"),
        QStringLiteral("'0x10'"),
        QStringLiteral("'1e3'"),
        QStringLiteral("'SUBSTITUIÇÃO'"),
        QStringLiteral("'a\r\nb'"),
        QStringLiteral("0"),
        QStringLiteral("0007"),
        QStringLiteral("-5"),
        QStringLiteral("2147483648"),
        QStringLiteral("9223372036854775807"),
        QStringLiteral("-9223372036854775807"),
        QStringLiteral("99999999999999999999"),
        QStringLiteral("-18446744073709551616"),
        QStringLiteral("0.0"),
        QStringLiteral("1.5"),
        QStringLiteral("01234.56"),
        QStringLiteral("0-5.00"),
        QStringLiteral("-5.00"),
        QStringLiteral("5."),
        QStringLiteral(".5"),
        QStringLiteral("1e5"),
        QStringLiteral("1.5E+16"),
        QStringLiteral("2.5e-3"),
        QStringLiteral("0.1"),
        QStringLiteral("0.30000000000000004"),
        QStringLiteral("9007199254740993.0"),
        QStringLiteral("1.7976931348623157e308"),
        QStringLiteral("1e309"),
        QStringLiteral("-1e309"),
        QStringLiteral("4.9e-324"),
        QStringLiteral("2.2250738585072011e-308"),
        QStringLiteral("123456789012345678901234567890.5"),
        QStringLiteral("1.00000000000000011102230246251565404236316680908203125"),
        // A literal has no affinity: compared with text, the text is not read as a number.
        QStringLiteral("'1.50' = 1.5"),
        QStringLiteral("1.5 || ''"),
        QStringLiteral("2 * -1.5"),
        QStringLiteral("'12' + 0.5"),
    };
    const QString insert =
        QStringLiteral("INSERT INTO %1(k, tx, i, n, r, b) VALUES(%2, %3, %3, %3, %3, %3)");
    for (qsizetype k = 0; k < values.size(); ++k) {
        const QString cached = insert.arg(QStringLiteral("Cached")).arg(k).arg(values[k]);
        ASSERT_TRUE(simple(cached)) << values[k].toStdString();
        EXPECT_EQ(run(cached), QString()) << values[k].toStdString();
    }
    // Every insert into Cached ran as a prepared statement of the writer connection.
    EXPECT_EQ(run(QStringLiteral("CREATE TABLE Prepared AS SELECT sum(run) AS Runs FROM "
                                 "sqlite_stmt WHERE sql LIKE 'INSERT INTO Cached%'")),
              QString());
    EXPECT_EQ(db->rows(QStringLiteral("SELECT Runs FROM Prepared")),
              (Rows{{QString::number(values.size())}}));
    for (qsizetype k = 0; k < values.size(); ++k) {
        const QString plain = plainPath(insert.arg(QStringLiteral("Plain")).arg(k).arg(values[k]));
        ASSERT_FALSE(simple(plain)) << values[k].toStdString();
        EXPECT_EQ(run(plain), QString()) << values[k].toStdString();
    }
    const QString stored =
        QStringLiteral("SELECT typeof(tx) || ' ' || quote(tx), typeof(i) || ' "
                       "' || quote(i), typeof(n) || ' ' || quote(n), typeof(r) "
                       "|| ' ' || quote(r), typeof(b) || ' ' || quote(b) FROM %1 "
                       "ORDER BY k");
    const Rows cachedRows = db->rows(stored.arg(QStringLiteral("Cached")));
    const Rows plainRows = db->rows(stored.arg(QStringLiteral("Plain")));
    ASSERT_EQ(cachedRows.size(), size_t(values.size()));
    ASSERT_EQ(plainRows.size(), size_t(values.size()));
    for (qsizetype k = 0; k < values.size(); ++k) {
        EXPECT_EQ(cachedRows[k], plainRows[k]) << values[k].toStdString();
    }
}

TEST_F(SqliteStatements, RefusalsReadAsForTheTextSent) {
    ASSERT_TRUE(db->exec(QStringLiteral("CREATE TABLE Unico(k INTEGER UNIQUE)")));
    // Compiled and cached before the case that fails when it runs.
    ASSERT_EQ(run(QStringLiteral("INSERT INTO Unico(k) VALUES(1)")), QString());
    struct Case {
        const char* sql;
        const char* message;
    };
    const Case cases[] = {
        {"INSERT INTO Ausente VALUES(1, 'a')", "no such table: Ausente"},
        {"INSERT INTO Unico(k) VALUES(1 'a')", "near \"'a'\": syntax error"},
        {"INSERT INTO Unico(k) VALUES(1, 2.5)", "2 values for 1 columns"},
        {"INSERT INTO Unico(k) VALUES(1)", "UNIQUE constraint failed: Unico.k"},
        {"INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, TotalizadorParcial) "
         "VALUES('31/02/2024', 'X', '17', 1.5)",
         "'31/02/2024' is not a day written as dd/mm/yyyy"},
    };
    for (const Case& c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        ASSERT_TRUE(simple(sql)) << c.sql;
        EXPECT_EQ(run(sql), QString::fromUtf8(c.message)) << c.sql;
        EXPECT_EQ(run(plainPath(sql)), QString::fromUtf8(c.message)) << c.sql;
    }
    // A statement that failed as it ran is ready for the next values.
    EXPECT_EQ(run(QStringLiteral("INSERT INTO Unico(k) VALUES(2)")), QString());
    EXPECT_EQ(db->rows(QStringLiteral("SELECT k FROM Unico ORDER BY k")), (Rows{{"1"}, {"2"}}));
}

TEST_F(SqliteStatements, OneShapeFollowsTheSchemaAndTheDayPattern) {
    ASSERT_TRUE(db->exec(QStringLiteral("CREATE TABLE Valor(k INTEGER, v INTEGER)")));
    const QString insert = QStringLiteral("INSERT INTO Valor(k, v) VALUES(%1, '%2')");
    EXPECT_EQ(run(insert.arg(1).arg(5)), QString());
    EXPECT_EQ(db->rows(QStringLiteral("SELECT typeof(v) FROM Valor")), (Rows{{"integer"}}));
    // Changed by another connection, then through the layer itself.
    ASSERT_TRUE(db->exec({QStringLiteral("DROP TABLE Valor"),
                          QStringLiteral("CREATE TABLE Valor(k INTEGER, v TEXT)")}));
    EXPECT_EQ(run(insert.arg(2).arg(6)), QString());
    EXPECT_EQ(run(QStringLiteral("ALTER TABLE Valor ADD COLUMN w REAL DEFAULT 1")), QString());
    EXPECT_EQ(run(insert.arg(3).arg(7)), QString());
    EXPECT_EQ(db->rows(QStringLiteral("SELECT k, typeof(v), quote(w) FROM Valor ORDER BY k")),
              (Rows{{"2", "text", "1.0"}, {"3", "text", "1.0"}}));

    const QString day =
        QStringLiteral("INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, TotalizadorParcial) "
                       "VALUES('05/03/2024', '%1', '17', 1.5)");
    EXPECT_EQ(run(day.arg(QStringLiteral("A"))), QString());
    db->database().setDayTextPattern(QStringLiteral("mm/dd/yyyy"), QLatin1Char('/'));
    EXPECT_EQ(run(day.arg(QStringLiteral("B"))), QString());
    EXPECT_EQ(db->rows(QStringLiteral("SELECT Serie, Emissao FROM OrvekAnalitico ORDER BY Serie")),
              (Rows{{"A", "2024-03-05"}, {"B", "2024-05-03"}}));
}

// Statements the connection holds compiled.
int liveStatements(sqlite3* db) {
    int count = 0;
    for (sqlite3_stmt* stmt = sqlite3_next_stmt(db, nullptr); stmt != nullptr;
         stmt = sqlite3_next_stmt(db, stmt)) {
        ++count;
    }
    return count;
}

TEST(SqliteStatementCache, KeepsTheStatementsUsedLastAndFinalizesTheRest) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    {
        SqliteStatementCache cache(2);
        sqlite3_stmt* a = cache.find(db, "SELECT 1");
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(cache.find(db, "SELECT 1"), a);
        sqlite3_stmt* b = cache.find(db, "SELECT 2");
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(cache.find(db, "SELECT 1"), a);
        // Full: "SELECT 2", used least recently, makes room.
        EXPECT_NE(cache.find(db, "SELECT 3"), nullptr);
        EXPECT_EQ(cache.find(db, "SELECT 1"), a);
        EXPECT_EQ(liveStatements(db), 2);
        // A text that does not prepare is remembered as such, and holds nothing.
        EXPECT_EQ(cache.find(db, "SELEC 4"), nullptr);
        EXPECT_EQ(cache.find(db, "SELEC 4"), nullptr);
        EXPECT_EQ(cache.size(), 2u);
        EXPECT_EQ(liveStatements(db), 1);
        cache.clear();
        EXPECT_EQ(liveStatements(db), 0);
        cache.find(db, "SELECT 5");
    }
    EXPECT_EQ(liveStatements(db), 0) << "the cache's destructor finalizes";
    EXPECT_EQ(sqlite3_close(db), SQLITE_OK);
}

TEST(SqliteQtConnection, NeverCreatesAMissingFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Confeccao.db"));
    for (const auto mode : {SqliteConnection::Mode::ReadWrite, SqliteConnection::Mode::ReadOnly}) {
        try {
            SqliteConnection connection(QStringLiteral("orvek-test"), file, mode);
            ADD_FAILURE() << "opened a missing file";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.message(),
                      QStringLiteral("Cannot open the database file %1: unable to open database "
                                     "file")
                          .arg(file));
        }
        EXPECT_FALSE(QFile::exists(file));
        EXPECT_FALSE(QSqlDatabase::contains(QStringLiteral("orvek-test")));
    }
}

TEST(SqliteQtConnection, PathsWithUriCharactersAndConnectionsLeftBehind) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString dir = root.filePath(QStringLiteral("a b#c?d%41e"));
    ASSERT_TRUE(QDir().mkdir(dir));
    QFile file(QDir(dir).filePath(QStringLiteral("Confeccao.db")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QStringList namesBefore = QSqlDatabase::connectionNames();

    TDatabase database;
    database.setDatabaseName(QStringLiteral("Confeccao"));
    database.setDriverName(QStringLiteral("STANDARD"));
    database.params() = QStringList{QStringLiteral("PATH=") + dir};
    database.open();
    TQuery statement;
    statement.setDatabaseName(QStringLiteral("Confeccao"));
    for (const char* sql : {"CREATE TABLE T(v TEXT)", "INSERT INTO T(v) VALUES('x')"}) {
        statement.sql() = QStringList{QString::fromLatin1(sql)};
        statement.execSQL();
    }
    TQuery source;
    source.setDatabaseName(QStringLiteral("Confeccao"));
    source.sql() = QStringList{QStringLiteral("SELECT v FROM T")};
    source.addField(QStringLiteral("QV"), QStringLiteral("v"), FieldKind::Text);
    source.open();
    EXPECT_EQ(source.fieldByName(QStringLiteral("v"))->asString(), QStringLiteral("x"));
    // The writer and the source query's reader.
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), namesBefore.size() + 2);
    database.close();
    EXPECT_EQ(QSqlDatabase::connectionNames(), namesBefore);
    // Nothing was opened anywhere else.
    EXPECT_EQ(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("a b#c?d%41e")});
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{QStringLiteral("Confeccao.db")});
}

} // namespace

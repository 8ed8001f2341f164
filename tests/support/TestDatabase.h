// Fresh, empty test databases on each back-end the environment offers, with the tool's four
// tables, and a connection configured exactly as the settings profiles configure it.
//
// Typical use, one suite run once per back-end:
//
//   class ExportTest : public testing::TestWithParam<TestBackend> {
//   protected:
//       void SetUp() override {
//           if (!testBackendAvailable(GetParam())) GTEST_SKIP() << testBackendMissing(GetParam());
//           db = std::make_unique<TestDatabase>(GetParam());
//       }
//       std::unique_ptr<TestDatabase> db;
//   };
//   INSTANTIATE_TEST_SUITE_P(Backends, ExportTest, testing::ValuesIn(allTestBackends()),
//                            TestBackendName());
//
//   db->exec("INSERT INTO BR_REDUCAOZ VALUES ('2024-03-15', 'ABC123', '1', 100, 250, 'MP-20')");
//   ... run the code under test against db->database() (database name "Confeccao") ...
//   EXPECT_EQ(db->rows("SELECT Emissao, Serie FROM OrvekMestre"),
//             (Rows{{"2024-03-15", "ABC123"}}));
#pragma once

#include "db/ConnectionSettings.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class TDatabase;

enum class TestBackend {
    Sqlite,   // driver "STANDARD": Confeccao.db in a temporary directory; always available
    Firebird, // alias "Krevan": a new .fdb file in $ORVEK_TEST_FIREBIRD_DIR on localhost
    Odbc, // alias = a data source naming a new PostgreSQL database ($ORVEK_TEST_ODBC_DSN's server)
};

using Rows = std::vector<QStringList>;

// Every back-end, available or not, for INSTANTIATE_TEST_SUITE_P; skip the unavailable ones.
std::vector<TestBackend> allTestBackends();
// Whether the environment offers the back-end (scripts/test-servers.sh's variables are set).
bool testBackendAvailable(TestBackend backend);
// Why a back-end is not available, for GTEST_SKIP.
std::string testBackendMissing(TestBackend backend);
// "Sqlite", "Firebird", "Odbc".
std::string testBackendName(TestBackend backend);
struct TestBackendName {
    std::string operator()(const testing::TestParamInfo<TestBackend>& info) const {
        return testBackendName(info.param);
    }
};

class TestDatabase {
public:
    // Creates a fresh database on the back-end, runs the tool's schema (schema/*.sql through
    // createMissingSchema) in it, and opens database(): a TDatabase with that database name,
    // configured as the profile of settings() configures it. Throws RuntimeError when the
    // back-end is not available or the database cannot be made.
    explicit TestDatabase(TestBackend backend,
                          const QString& databaseName = QStringLiteral("Confeccao"));
    // Closes every connection and removes the database.
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    TestBackend backend() const { return m_backend; }

    // The connection under test, open. Driver "STANDARD" with "PATH=dir", "DEFAULT
    // DRIVER=PARADOX", "ENABLE BCD=FALSE"; or alias "Krevan" with "SERVER NAME=localhost:file",
    // "USER NAME=SYSDBA", "password=plumtrove"; or alias = data source name with
    // "USER NAME=sa". Close, reconfigure or reopen it freely.
    TDatabase& database() { return *m_database; }
    // Tipo and Caminho of a Vendrake.ini that selects this database: "Standard" and the
    // directory, "Interbase" and "localhost:file", or "MSSQL" and the data source name.
    ConnectionSettings settings() const { return m_settings; }
    // The parameter lines database() was configured with, in order.
    QStringList params() const { return m_params; }

    // Raw setup SQL on a separate connection that commits each statement, outside the layer
    // under test (so no day conversion): write days as ISO literals '2024-03-15', which every
    // engine reads alike. Fails the current test (ADD_FAILURE) with the engine's message and
    // the statement when the engine rejects it; returns whether it succeeded.
    bool exec(const QString& sql);
    bool exec(const QStringList& statements);

    // The rows of a SELECT on that separate connection, every value as text: days (and
    // date-times) in ISO form 'YYYY-MM-DD', numbers in their shortest form ("1500" for
    // 1500.00, "7.5"), text as stored, NULL as "<null>". Fails the current test on an error.
    Rows rows(const QString& select);

    // Closes the setup connection of exec() and rows(), which opens again when next needed,
    // so that only the code under test holds the database (to take its file away, say).
    void closeSetupConnection();

private:
    class Impl;
    TestBackend m_backend;
    ConnectionSettings m_settings;
    QStringList m_params;
    std::unique_ptr<Impl> m_impl;
    std::unique_ptr<TDatabase> m_database;
};

// Prints a back-end's name in GoogleTest messages.
void PrintTo(TestBackend backend, std::ostream* os);

// Prints Qt text as text (not as a list of characters) in GoogleTest messages.
void PrintTo(const QString& text, std::ostream* os);

// The embedded default back-end: the SQLite file Confeccao.db in the directory of PATH=.
#pragma once

#include "db/Backend.h"
#include "db/DayPattern.h"
#include "db/LiteralStatement.h"
#include "db/SqliteStatementCache.h"

#include <memory>
#include <vector>

class SqliteConnection;
struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

// Statements run on one writer connection. Each source query reads on a connection of its
// own inside a read transaction, with the file in WAL mode, so it keeps the snapshot it
// opened on while the writer commits, and streams its rows instead of holding them. Days are
// stored as ISO text 'YYYY-MM-DD': per-connection temporary triggers turn the day text of
// the tool's inserts into OrvekMestre and OrvekAnalitico into that form. Connections are opened
// through Qt SQL's QSQLITE driver. An insert written with literal values runs as a prepared
// statement of its shape with the values bound, compiled once for all inserts of that shape.
class SqliteBackend final : public Backend {
public:
    explicit SqliteBackend(const QStringList& params);
    ~SqliteBackend() override;

    // The file a connection with these parameters opens: Confeccao.db in PATH= (the working
    // directory without a PATH= line).
    static QString databaseFile(const QStringList& params);

    Engine engine() const override { return Engine::Sqlite; }
    // Throws RuntimeError naming the directory or the file when it does not exist: a missing
    // database is never created.
    void open() override;
    void close() override;
    bool isOpen() const override { return m_writer != nullptr; }
    void setDayPattern(const DayPattern& pattern) override;
    void execute(const QString& sql, const std::vector<QDate>& params) override;
    std::unique_ptr<Cursor> openCursor(const QString& sql,
                                       const std::vector<QDate>& params) override;
    void startTransaction() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return m_inTransaction; }
    bool hasObject(const QString& name) override;

private:
    friend class SqliteCursor;

    // The SQL function orvek_day, which the conversion triggers call.
    static void dayFunction(sqlite3_context* context, int argc, sqlite3_value** argv);

    sqlite3* writer() const;
    // A connection for one source query, and its return (nullptr when it had to be closed).
    std::unique_ptr<SqliteConnection> acquireReader();
    void returnReader(std::unique_ptr<SqliteConnection> reader);
    void installDayConversion();
    void transactionStatement(const char* sql);
    // Runs every statement of the text as SQLite compiles it.
    void executePlain(const QByteArray& utf8, const std::vector<QDate>& params);
    // Runs m_literals through the cached statement of its shape. Returns false, having done
    // nothing, when the shape does not prepare or its values cannot be bound: the plain path
    // then gives the engine's message for the text as sent.
    bool executeCached();

    QStringList m_params;
    QString m_file;
    // Names this instance's connections among Qt SQL's.
    QString m_connectionName;
    int m_readersOpened = 0;
    DayPattern m_pattern;
    // The day text orvek_day converted last (null when none) and its ISO form.
    QByteArray m_lastDayText;
    char m_lastIsoDay[11] = {};
    std::unique_ptr<SqliteConnection> m_writer;
    std::vector<std::unique_ptr<SqliteConnection>> m_idleReaders;
    int m_readersInUse = 0;
    SqliteStatementCache m_statements;
    LiteralStatement m_literals;
    QString m_journalModeBefore;
    bool m_inTransaction = false;
    bool m_conversionIncomplete = false;
};

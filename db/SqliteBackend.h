// The embedded default back-end: the SQLite file Confeccao.db in the directory of PATH=.
#pragma once

#include "db/Backend.h"
#include "db/DayPattern.h"

#include <vector>

struct sqlite3;

// Statements run on one writer connection. Each source query reads on a connection of its
// own inside a read transaction, with the file in WAL mode, so it keeps the snapshot it
// opened on while the writer commits, and streams its rows instead of holding them. Days are
// stored as ISO text 'YYYY-MM-DD': per-connection temporary triggers turn the day text of
// the tool's inserts into OrvekMestre and OrvekAnalitico into that form.
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
    void setDayPattern(const DayPattern& pattern) override { m_pattern = pattern; }
    void execute(const QString& sql, const std::vector<QDate>& params) override;
    std::unique_ptr<Cursor> openCursor(const QString& sql,
                                       const std::vector<QDate>& params) override;
    void startTransaction() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return m_inTransaction; }
    bool hasObject(const QString& name) override;

    // Reads day text the way the tool's inserts are converted; for the SQL function.
    const DayPattern& dayPattern() const { return m_pattern; }

private:
    friend class SqliteCursor;

    sqlite3* openConnection() const;
    // A connection for one source query, and its return (nullptr when it had to be closed).
    sqlite3* acquireReader();
    void returnReader(sqlite3* reader);
    void installDayConversion();
    void transactionStatement(const char* sql);

    QStringList m_params;
    QString m_file;
    DayPattern m_pattern;
    sqlite3* m_writer = nullptr;
    std::vector<sqlite3*> m_idleReaders;
    int m_readersInUse = 0;
    QString m_journalModeBefore;
    bool m_inTransaction = false;
    bool m_conversionIncomplete = false;
};

// What the server back-ends reached through a Qt SQL driver (QIBASE, QODBC) share: the
// connection, statements, source queries and transactions.
#pragma once

#include "db/Backend.h"

class QSqlDatabase;
class QSqlError;
class QSqlField;

class QtSqlBackend : public Backend {
public:
    ~QtSqlBackend() override;

    // Throws RuntimeError with the engine's message.
    void open() override;
    void close() override;
    bool isOpen() const override;
    void execute(const QString& sql, const std::vector<QDate>& params) override;
    std::unique_ptr<Cursor> openCursor(const QString& sql,
                                       const std::vector<QDate>& params) override;
    void startTransaction() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return m_inTransaction; }

protected:
    // qtDriver: "QIBASE" or "QODBC".
    explicit QtSqlBackend(const QString& qtDriver);

    // Sets the database name, user and password of a connection before it opens.
    virtual void configure(QSqlDatabase& db) const = 0;
    // Runs once the statement connection is open; throws RuntimeError to refuse it.
    virtual void afterOpen() {}
    // The statement actually sent for a statement of the tool; throws RuntimeError to refuse
    // it.
    virtual QString route(const QString& sql) { return sql; }
    // What a result column holds.
    virtual ColumnInfo describe(const QSqlField& field) const = 0;
    // The user-facing text of an engine error.
    virtual QString message(const QSqlError& error) const;
    // Source queries read on a connection of their own, so the statement connection stays
    // free and their snapshot does not depend on its transaction.
    virtual bool readsOnOwnConnection() const = 0;
    // Source queries use a static (snapshot) cursor rather than a forward-only one.
    virtual bool staticCursor() const = 0;

    // The statements that undo one rejected statement alone inside a transaction, on engines
    // where a failed statement would otherwise spoil the whole transaction. Empty `set`
    // when the engine already keeps the transaction usable.
    struct Savepoint {
        QString set;
        QString release;
        QString undo;
    };
    virtual Savepoint savepoint() const { return {}; }

    QSqlDatabase writer() const;
    // Runs a statement on the statement connection; throws RuntimeError.
    void run(const QString& sql);
    // Opens the statement connection again with what configure() now sets; for settings
    // that can only be chosen once the engine is known. Throws RuntimeError.
    void reconnect();

private:
    QSqlDatabase reader();
    void connectWriter();

    QString m_qtDriver;
    QString m_writerName;
    QString m_readerName;
    bool m_inTransaction = false;
};

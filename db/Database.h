// The connection component: a named database connection configured by a driver or alias name
// and NAME=VALUE parameter lines, opened on one of the tool's back-ends.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class Backend;

class TDatabase final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TDatabase)

public:
    explicit TDatabase(QObject* owner = nullptr);
    ~TDatabase() override;

    // Queries find their connection by this name, without regard to case.
    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString& name);

    // A connection has either a driver name or an alias name: setting one clears the other.
    QString driverName() const { return m_driverName; }
    void setDriverName(const QString& name);
    QString aliasName() const { return m_aliasName; }
    void setAliasName(const QString& name);

    // Ordered NAME=VALUE lines handed to the back-end when the connection opens.
    QStringList& params() { return m_params; }
    const QStringList& params() const { return m_params; }

    // Credentials come only from params(); there is never a prompt.
    bool loginPrompt() const { return m_loginPrompt; }
    void setLoginPrompt(bool prompt) { m_loginPrompt = prompt; }

    bool connected() const;
    // true opens with the current type and parameters (throws RuntimeError with the engine's
    // message); false closes.
    void setConnected(bool connected);
    void open() { setConnected(true); }
    void close() { setConnected(false); }

    // How the tool's own inserts write days: a short date pattern in the value text rules'
    // language ("dd/mm/yyyy", "m/d/yy", "yyyy-mm-dd"...) with its date separator. The back-end
    // reads such text as the day it names. Set before each run; applies to open and later
    // connections. Throws RuntimeError when the open connection's engine cannot read days in
    // that order (PostgreSQL reads only day-month-year, month-day-year and year-month-day).
    void setDayTextPattern(const QString& shortDatePattern, QChar dateSeparator);

    // A transaction around the statements that follow. Inside it, a statement the engine
    // rejects is undone alone and leaves the transaction usable. Throws RuntimeError.
    // Source queries may read on a connection of their own (SQLite, ODBC): one opened during
    // the transaction need not see its uncommitted rows.
    void startTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    // The live connection of that name (case-insensitive), or nullptr.
    static TDatabase* find(const QString& databaseName);

    // For the query classes of this layer.
    Backend& backend();

private:
    QString m_databaseName;
    QString m_driverName;
    QString m_aliasName;
    QStringList m_params;
    bool m_loginPrompt = false;
    QString m_shortDatePattern = QStringLiteral("dd/mm/yyyy");
    QChar m_dateSeparator = QLatin1Char('/');
    std::unique_ptr<Backend> m_backend;
};

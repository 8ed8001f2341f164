// The ODBC back-end: any alias other than "Krevan" names a data source (unixODBC's
// odbc.ini), such as SQL Server through FreeTDS or PostgreSQL through psqlODBC.
#pragma once

#include "db/QtSqlBackend.h"

// USER NAME= is the data source's user; there is no password. On connecting, the session
// is told the order of day, month and year of the tool's day text: PostgreSQL through
// DateStyle, SQL Server through SET DATEFORMAT. On any other engine the tool's inserts into
// OrvekMestre and OrvekAnalitico are refused, as nothing guarantees the day they would store.
class OdbcBackend final : public QtSqlBackend {
public:
    OdbcBackend(const QString& dataSource, const QStringList& params);

    Engine engine() const override { return m_engine; }
    // Throws RuntimeError when the open connection's engine cannot read days in that order.
    void setDayPattern(const DayPattern& pattern) override;
    bool hasObject(const QString& name) override;

protected:
    void configure(QSqlDatabase& db) const override;
    void afterOpen() override;
    QString route(const QString& sql) override;
    ColumnInfo describe(const QSqlField& field) const override;
    QString message(const QSqlError& error) const override;
    // SQL Server keeps a connection busy while a forward-only result is being read, and
    // psqlODBC may read through a cursor inside a transaction of its own: the source query
    // gets a connection of its own and a static cursor, ODBC's "rows as they were at open".
    bool readsOnOwnConnection() const override { return true; }
    bool staticCursor() const override { return true; }
    // PostgreSQL aborts the whole transaction on a failed statement.
    Savepoint savepoint() const override;

private:
    void storeDayPattern();

    QString m_dataSource;
    // Driver settings added to the data source's own, as connection-string attributes.
    QString m_attributes;
    QStringList m_params;
    Engine m_engine = Engine::OtherOdbc;
    QString m_dayOrder;
    QString m_dayPatternText;
};

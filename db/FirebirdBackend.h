// The Firebird (or InterBase) server back-end of alias "Krevan", through QIBASE.
#pragma once

#include "db/QtSqlBackend.h"

// SERVER NAME= is the server's database (host:path, host/port:path or host:alias); USER
// NAME= and password= are its credentials.
//
// Firebird reads '05/03/2024' as 3 May and has no session setting to change that, and it
// converts a text value for a DATE column before any trigger could see it. So the tool's
// inserts into OrvekMestre and OrvekAnalitico are sent to the views OrvekMestreEntrada and
// OrvekAnaliticoEntrada of the tool's schema, whose Emissao is text; their triggers read it
// with ORVEK_DIA in the order of day, month and year that this connection stores in its
// USER_SESSION context (ORVEK_DAY_ORDER) when it opens. The tables keep a real, indexed DATE.
// A database without those views is refused such inserts rather than given a wrong day.
class FirebirdBackend final : public QtSqlBackend {
public:
    explicit FirebirdBackend(const QStringList& params);

    Engine engine() const override { return Engine::Firebird; }
    void setDayPattern(const DayPattern& pattern) override;
    bool hasObject(const QString& name) override;

protected:
    void configure(QSqlDatabase& db) const override;
    void afterOpen() override;
    QString route(const QString& sql) override;
    ColumnInfo describe(const QSqlField& field) const override;
    QString message(const QSqlError& error) const override;
    // Measured on Firebird 3: rows inserted on the same attachment while a source query is
    // open never join or leave it, in autocommit (each query has its own snapshot
    // transaction) and inside one transaction alike.
    bool readsOnOwnConnection() const override { return false; }
    bool staticCursor() const override { return false; }

private:
    void storeDayPattern();

    QStringList m_params;
    QString m_dayOrder;
    QString m_dayPatternText;
    // Target tables whose conversion view this database has, found when it opens.
    QStringList m_convertedTargets;
};

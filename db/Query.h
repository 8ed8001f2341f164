// The query component: SQL lines sent to a named connection, either as a source query read
// row by row through declared fields, or as a statement that returns no rows.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class TDatabase;
class TQuery;
class Cursor;

enum class FieldKind {
    Text,     // fixed or variable character columns; never cut
    Integer,  // small, plain or auto-increment integer columns; 32-bit
    DateTime, // date, time or timestamp columns
};

// A declared result column, read by name. NULL reads as empty text, 0, or the date-time 0
// (30 December 1899 at midnight).
class TField final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TField)

public:
    // objectName is the field object's own name (QOrvekMestreSERIAL); fieldName the column's.
    TField(TQuery* query, const QString& objectName, const QString& fieldName, FieldKind kind);

    QString fieldName() const { return m_fieldName; }
    FieldKind kind() const { return m_kind; }

    bool isNull() const;
    QString asString() const;
    qint32 asInteger() const;
    QDateTime asDateTime() const;

private:
    TQuery* m_query;
    QString m_fieldName;
    FieldKind m_kind;
    int m_column = -1; // position in the open result, bound when the query opens

    friend class TQuery;
};

class TQuery final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TQuery)

public:
    explicit TQuery(QObject* owner = nullptr);
    ~TQuery() override;

    // The name of the connection to use, compared without regard to case.
    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString& name) { m_databaseName = name; }

    QStringList& sql() { return m_sql; }
    const QStringList& sql() const { return m_sql; }

    // ":Name" outside quoted text marks a parameter; parameters are bound by position.
    int paramCount() const;
    void setParam(int index, const QDateTime& value);

    // Opens the connection when it is closed (so a run recovers from a connection that failed
    // earlier). Throws RuntimeError when the query is open or the connection cannot be opened.
    void prepare();
    // Runs the SELECT and binds the declared fields. Throws RuntimeError naming the column when
    // a declared column is missing or of another kind.
    void open();
    bool active() const;
    bool eof() const;
    void next();
    void close();

    // Sends the lines, each followed by CR LF, as one statement that returns no rows. It takes
    // effect on its own unless the connection has a transaction open. Throws RuntimeError with
    // the engine's message.
    void execSQL();

    // The text execSQL sends.
    QString statementText() const;

    // Declares a result field; the query owns it.
    TField* addField(const QString& objectName, const QString& fieldName, FieldKind kind);
    // The declared field of that column name (case-insensitive); throws RuntimeError otherwise.
    TField* fieldByName(const QString& fieldName) const;

private:
    TDatabase& database() const;
    // "QOrvekMestre: " when the query has an object name, so messages say which query failed.
    QString messagePrefix() const;
    // The parameter values for the names found in the text, in order; throws RuntimeError
    // naming the first one without a value.
    std::vector<QDate> boundDays(const QStringList& names) const;

    QString m_databaseName;
    QStringList m_sql;
    std::vector<QVariant> m_params;
    std::vector<TField*> m_fields;
    std::unique_ptr<Cursor> m_cursor;
    bool m_prepared = false;

    friend class TField;
};

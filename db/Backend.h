// The engine side of a connection: what TDatabase and TQuery ask of each back-end, and the
// choice of back-end from a connection's driver or alias name.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Backend;
class DayPattern;

enum class Engine { Sqlite, Firebird, PostgreSql, SqlServer, OtherOdbc };

// What a result column holds, as far as declared fields care.
enum class ColumnClass {
    Text,     // fixed or variable character column
    Integer,  // small, plain or auto-increment integer
    DateTime, // date, time or timestamp
    Untyped,  // an expression without a declared type (SQLite): accepted as text
    Other,    // anything else; typeName says what
};

struct ColumnInfo {
    QString name;
    ColumnClass columnClass;
    QString typeName; // the engine's own name of the type, for messages
};

// The rows of one open source query. Value readers take a column position of columns() and
// are called only while !eof(); a value that does not fit its reader throws RuntimeError
// naming the column.
class Cursor {
public:
    explicit Cursor(Backend& owner);
    virtual ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    virtual const std::vector<ColumnInfo>& columns() const = 0;
    virtual bool eof() const = 0;
    virtual void next() = 0;
    virtual bool isNull(int column) const = 0;
    virtual QString text(int column) const = 0;
    virtual qint32 integer(int column) const = 0;
    virtual QDateTime dateTime(int column) const = 0;

    // False once the connection closed under the cursor; it then reads as past its end.
    bool attached() const { return m_owner != nullptr; }
    // Gives the engine resources back to the connection. Idempotent; derived destructors call
    // it, since releaseResources() cannot run from this class's destructor.
    void release();

protected:
    virtual void releaseResources() = 0;
    Backend* owner() const { return m_owner; }

private:
    friend class Backend;
    Backend* m_owner;
};

class Backend {
public:
    Backend() = default;
    virtual ~Backend();
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    virtual Engine engine() const = 0;

    // Throws RuntimeError with the message the user will read.
    virtual void open() = 0;
    // Releases every open cursor first. Never throws.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // How the tool's inserts write days from now on, on this and later connections.
    virtual void setDayPattern(const DayPattern& pattern) = 0;

    // One statement returning no rows, with positional date parameters ("?"). Inside a
    // transaction a rejected statement is undone alone and the transaction stays usable; when
    // it cannot be undone alone, the whole transaction is rolled back and inTransaction() is
    // false once this throws.
    virtual void execute(const QString& sql, const std::vector<QDate>& params) = 0;
    // A SELECT with positional date parameters, reading the rows that matched when it
    // opened: statements executed while it is open neither hide rows from it nor add any.
    virtual std::unique_ptr<Cursor> openCursor(const QString& sql,
                                               const std::vector<QDate>& params) = 0;

    virtual void startTransaction() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // Whether the database holds a table, view, trigger or routine of that name.
    virtual bool hasObject(const QString& name) = 0;

protected:
    void releaseCursors();

private:
    friend class Cursor;
    std::vector<Cursor*> m_cursors;
};

// The back-end a connection's type selects: driver "STANDARD" the embedded SQLite file, alias
// "Krevan" a Firebird server, any other alias an ODBC data source. Throws RuntimeError for
// an unknown driver.
std::unique_ptr<Backend> makeBackend(const QString& driverName, const QString& aliasName,
                                     const QStringList& params);

// The value of the first NAME=VALUE line whose name equals `name` without regard to case;
// `found` tells an empty value from a missing line.
QString paramValue(const QStringList& params, const QString& name, bool* found = nullptr);

// The date-time a NULL date reads as, and the day every time-only value belongs to.
QDateTime zeroDateTime();

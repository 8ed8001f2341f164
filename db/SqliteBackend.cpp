#include "db/SqliteBackend.h"

#include "db/RuntimeError.h"
#include "db/SqliteConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <array>
#include <atomic>
#include <cstdio>
#include <limits>
#include <sqlite3.h>

namespace {

const char* const kDatabaseFileName = "Confeccao.db";
// The target tables whose day column the tool writes as short-date text.
const std::array<const char*, 2> kDayTargets = {"OrvekMestre", "OrvekAnalitico"};
const char* const kDayColumn = "Emissao";
const int kBusyTimeoutMs = 5000;
// SQLite's own default.
const int kAutoCheckpointPages = 1000;
// A WAL grown large while source queries were open is cut back to this when it starts over.
const char* const kWalSizeLimit = "PRAGMA journal_size_limit=16777216";
// The passes send two shapes of insert; a few more leave room for other callers.
const std::size_t kCachedStatements = 32;

QString errorText(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// Finalizes a statement on every path out of a scope.
class Statement {
public:
    Statement(sqlite3* db, const char* sql, int bytes, const char** tail = nullptr) : m_db(db) {
        if (sqlite3_prepare_v2(db, sql, bytes, &m_stmt, tail) != SQLITE_OK) {
            throw RuntimeError(errorText(db));
        }
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    // Steps to the end; the rows of a statement that returns some are not wanted.
    void run() {
        int rc;
        while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            throw RuntimeError(errorText(m_db));
        }
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw RuntimeError(errorText(db));
    }
}

QString singleText(sqlite3* db, const char* sql) {
    Statement stmt(db, sql, -1);
    const int rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_ROW) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
    }
    if (rc != SQLITE_DONE) {
        throw RuntimeError(errorText(db));
    }
    return {};
}

void bindDays(sqlite3* db, sqlite3_stmt* stmt, const std::vector<QDate>& params, size_t& next) {
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i, ++next) {
        if (next >= params.size()) {
            throw RuntimeError(QStringLiteral("The statement has more parameters than values"));
        }
        // Days are ISO text here, so they compare equal to the stored ones.
        const QByteArray iso = params[next].toString(Qt::ISODate).toLatin1();
        if (sqlite3_bind_text(stmt, i, iso.constData(), int(iso.size()), SQLITE_TRANSIENT) !=
            SQLITE_OK) {
            throw RuntimeError(errorText(db));
        }
    }
}

QString quotedName(const QString& name) {
    QString doubled = name;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

ColumnClass classify(const char* declared) {
    if (declared == nullptr) {
        return ColumnClass::Untyped;
    }
    QByteArray type = QByteArray(declared).toUpper();
    const qsizetype paren = type.indexOf('(');
    if (paren >= 0) {
        type.truncate(paren);
    }
    type = type.simplified();
    static const std::array<const char*, 6> integers = {"INT",     "INTEGER", "SMALLINT",
                                                        "TINYINT", "INT2",    "MEDIUMINT"};
    static const std::array<const char*, 4> days = {"DATE", "TIME", "TIMESTAMP", "DATETIME"};
    static const std::array<const char*, 10> texts = {"CHAR",
                                                      "VARCHAR",
                                                      "TEXT",
                                                      "CHARACTER",
                                                      "NCHAR",
                                                      "NVARCHAR",
                                                      "VARYING CHARACTER",
                                                      "CHARACTER VARYING",
                                                      "NATIVE CHARACTER",
                                                      "NATIONAL CHARACTER"};
    for (const char* name : integers) {
        if (type == name) {
            return ColumnClass::Integer;
        }
    }
    for (const char* name : days) {
        if (type == name) {
            return ColumnClass::DateTime;
        }
    }
    for (const char* name : texts) {
        if (type == name) {
            return ColumnClass::Text;
        }
    }
    return ColumnClass::Other;
}

} // namespace

class SqliteCursor final : public Cursor {
public:
    SqliteCursor(SqliteBackend& owner, std::unique_ptr<SqliteConnection> reader)
        : Cursor(owner), m_connection(std::move(reader)), m_reader(m_connection->handle()) {}
    ~SqliteCursor() override { release(); }

    // Prepares and reads the first row: the read transaction's snapshot starts there.
    void start(const QString& sql, const std::vector<QDate>& params) {
        exec(m_reader, "BEGIN");
        m_inTransaction = true;
        const QByteArray utf8 = sql.toUtf8();
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(m_reader, utf8.constData(), int(utf8.size()), &m_stmt, &tail) !=
            SQLITE_OK) {
            throw RuntimeError(errorText(m_reader));
        }
        if (m_stmt == nullptr || sqlite3_column_count(m_stmt) == 0) {
            throw RuntimeError(QStringLiteral("The query returns no rows"));
        }
        size_t next = 0;
        bindDays(m_reader, m_stmt, params, next);
        const int count = sqlite3_column_count(m_stmt);
        m_columns.reserve(count);
        for (int i = 0; i < count; ++i) {
            const char* declared = sqlite3_column_decltype(m_stmt, i);
            m_columns.push_back({QString::fromUtf8(sqlite3_column_name(m_stmt, i)),
                                 classify(declared),
                                 declared ? QString::fromUtf8(declared) : QString()});
        }
        step();
    }

    const std::vector<ColumnInfo>& columns() const override { return m_columns; }
    bool eof() const override { return m_eof || !attached(); }
    void next() override {
        if (!eof()) {
            step();
        }
    }
    bool isNull(int column) const override {
        return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
    }
    QString text(int column) const override {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(m_stmt, column));
    }
    qint32 integer(int column) const override {
        switch (sqlite3_column_type(m_stmt, column)) {
        case SQLITE_NULL:
            return 0;
        case SQLITE_INTEGER: {
            const sqlite3_int64 value = sqlite3_column_int64(m_stmt, column);
            if (value >= std::numeric_limits<qint32>::min() &&
                value <= std::numeric_limits<qint32>::max()) {
                return qint32(value);
            }
            break;
        }
        default:
            break;
        }
        throw RuntimeError(QStringLiteral("Column %1 holds '%2', which is not a 32-bit integer")
                               .arg(m_columns[column].name, text(column)));
    }
    QDateTime dateTime(int column) const override {
        if (sqlite3_column_type(m_stmt, column) == SQLITE_NULL) {
            return zeroDateTime();
        }
        const QString value = text(column);
        if (sqlite3_column_type(m_stmt, column) == SQLITE_TEXT) {
            // Rows come grouped by day, and each local date-time costs the C library a look at
            // the time zone file: the last day read is kept.
            if (!m_lastDayText.isNull() && value == m_lastDayText) {
                return m_lastDay;
            }
            // ISO text as SQLite's date functions write it: a day, a day and a time, or a time.
            const QDate day = QDate::fromString(value.left(10), Qt::ISODate);
            if (day.isValid() && value.size() == 10) {
                m_lastDayText = value;
                m_lastDay = QDateTime(day, QTime(0, 0));
                return m_lastDay;
            }
            if (day.isValid() && (value[10] == QLatin1Char(' ') || value[10] == QLatin1Char('T'))) {
                const QTime time = QTime::fromString(value.mid(11), Qt::ISODateWithMs);
                if (time.isValid()) {
                    return QDateTime(day, time);
                }
            }
            const QTime time = QTime::fromString(value, Qt::ISODateWithMs);
            if (time.isValid()) {
                return QDateTime(zeroDateTime().date(), time);
            }
        }
        throw RuntimeError(QStringLiteral("Column %1 holds '%2', which is not a date")
                               .arg(m_columns[column].name, value));
    }

private:
    void step() {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW) {
            return;
        }
        m_eof = true;
        if (rc != SQLITE_DONE) {
            throw RuntimeError(errorText(m_reader));
        }
    }

    void releaseResources() override {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        auto* backend = static_cast<SqliteBackend*>(owner());
        // Ending the read transaction lets checkpoints move past this snapshot again.
        if (m_inTransaction &&
            sqlite3_exec(m_reader, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            m_connection.reset();
        }
        backend->returnReader(std::move(m_connection));
        m_reader = nullptr;
        m_eof = true;
    }

    std::unique_ptr<SqliteConnection> m_connection;
    sqlite3* m_reader;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_inTransaction = false;
    bool m_eof = false;
    std::vector<ColumnInfo> m_columns;
    mutable QString m_lastDayText;
    mutable QDateTime m_lastDay;
};

// orvek_day(text): the ISO form of day text written by the connection's short date pattern;
// an error, so the insert is refused, when the text names no day in that pattern.
void SqliteBackend::dayFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    auto* backend = static_cast<SqliteBackend*>(sqlite3_user_data(context));
    const QByteArrayView utf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])),
                              sqlite3_value_bytes(argv[0]));
    // Rows come grouped by day: the text just converted is most often the next one too.
    if (!backend->m_lastDayText.isNull() && utf8 == backend->m_lastDayText) {
        sqlite3_result_text(context, backend->m_lastIsoDay, 10, SQLITE_TRANSIENT);
        return;
    }
    const DayPattern& pattern = backend->m_pattern;
    const QString text = QString::fromUtf8(utf8);
    const QDate day = pattern.read(text);
    if (!day.isValid()) {
        const QString message =
            pattern.valid()
                ? QStringLiteral("'%1' is not a day written as %2").arg(text, pattern.text())
                : QStringLiteral("The short date pattern %1 does not name a day, a month and a "
                                 "year, so no day can be written")
                      .arg(pattern.text());
        const QByteArray error = message.toUtf8();
        sqlite3_result_error(context, error.constData(), int(error.size()));
        return;
    }
    std::snprintf(backend->m_lastIsoDay, sizeof backend->m_lastIsoDay, "%04d-%02d-%02d", day.year(),
                  day.month(), day.day());
    backend->m_lastDayText = utf8.toByteArray();
    sqlite3_result_text(context, backend->m_lastIsoDay, 10, SQLITE_TRANSIENT);
}

SqliteBackend::SqliteBackend(const QStringList& params)
    : m_params(params), m_statements(kCachedStatements) {
    static std::atomic<int> instances{0};
    m_connectionName = QStringLiteral("orvek-sqlite-%1").arg(++instances);
}

SqliteBackend::~SqliteBackend() {
    close();
}

QString SqliteBackend::databaseFile(const QStringList& params) {
    bool found = false;
    const QString path = paramValue(params, QStringLiteral("PATH"), &found);
    const QString dir = found && !path.isEmpty() ? path : QDir::currentPath();
    return QDir(dir).filePath(QLatin1String(kDatabaseFileName));
}

sqlite3* SqliteBackend::writer() const {
    return m_writer->handle();
}

void SqliteBackend::setDayPattern(const DayPattern& pattern) {
    m_pattern = pattern;
    m_lastDayText = QByteArray();
    // orvek_day reads the pattern as each row is written; nothing compiled holds the old one,
    // but statements start afresh with a new pattern all the same.
    m_statements.clear();
}

void SqliteBackend::open() {
    if (isOpen()) {
        return;
    }
    m_file = databaseFile(m_params);
    const QFileInfo info(m_file);
    // These checks only word the message; the connection itself never creates a missing file.
    if (!info.dir().exists()) {
        throw RuntimeError(
            QStringLiteral("The database directory %1 does not exist").arg(info.path()));
    }
    if (!info.exists()) {
        throw RuntimeError(QStringLiteral("The database file %1 does not exist").arg(m_file));
    }
    m_writer = std::make_unique<SqliteConnection>(m_connectionName + QStringLiteral("-writer"),
                                                  m_file, SqliteConnection::Mode::ReadWrite);
    sqlite3* const db = writer();
    try {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        m_journalModeBefore = singleText(db, "PRAGMA journal_mode");
        // Source queries keep their snapshot on their own connections only in WAL mode; in
        // rollback-journal mode the writer would wait for them and fail.
        if (singleText(db, "PRAGMA journal_mode=WAL")
                .compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
            throw RuntimeError(
                QStringLiteral("The database file %1 cannot be used in WAL mode").arg(m_file));
        }
        // Each statement commits on its own; WAL keeps that durable across a program crash
        // without a sync per row.
        exec(db, "PRAGMA synchronous=NORMAL");
        exec(db, kWalSizeLimit);
        // The day conversion triggers insert into their own table; a library built with
        // recursive triggers on by default would run them again on their own rows.
        exec(db, "PRAGMA recursive_triggers=OFF");
        if (sqlite3_create_function_v2(db, "orvek_day", 1, SQLITE_UTF8, this, dayFunction, nullptr,
                                       nullptr, nullptr) != SQLITE_OK) {
            throw RuntimeError(errorText(db));
        }
        installDayConversion();
    } catch (const RuntimeError& error) {
        m_statements.clear();
        m_writer.reset();
        if (error.message().contains(m_file)) {
            throw;
        }
        throw RuntimeError(QStringLiteral("%1: %2").arg(m_file, error.message()));
    }
}

void SqliteBackend::installDayConversion() {
    // Inserts compiled before carry the triggers they were compiled with.
    m_statements.clear();
    m_conversionIncomplete = false;
    sqlite3* const db = writer();
    for (const char* table : kDayTargets) {
        const QString tableName = QString::fromLatin1(table);
        const QByteArray info =
            QStringLiteral("PRAGMA main.table_info(%1)").arg(quotedName(tableName)).toUtf8();
        Statement columns(db, info.constData(), int(info.size()));
        QStringList names;
        QStringList values;
        bool hasDay = false;
        while (sqlite3_step(columns.get()) == SQLITE_ROW) {
            const QString name = QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(columns.get(), 1)));
            const QString type = QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(columns.get(), 2)));
            const bool primaryKey = sqlite3_column_int(columns.get(), 5) != 0;
            // A rowid alias reads as -1 in a BEFORE trigger; leaving it out lets SQLite
            // number the row.
            if (primaryKey && type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0) {
                continue;
            }
            const QString column = QLatin1String("NEW.") + quotedName(name);
            const bool isDay = name.compare(QLatin1String(kDayColumn), Qt::CaseInsensitive) == 0;
            hasDay = hasDay || isDay;
            names.append(quotedName(name));
            values.append(isDay ? QStringLiteral("orvek_day(%1)").arg(column) : column);
        }
        if (names.isEmpty()) {
            // The table may be created later on this connection: try again after statements.
            m_conversionIncomplete = true;
            continue;
        }
        if (!hasDay) {
            continue;
        }
        // The trigger writes the converted row itself and drops the original insert. With
        // recursive triggers off (open() makes sure), the inner insert goes straight to the
        // table.
        const QByteArray trigger =
            QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS %1 BEFORE INSERT ON main.%2 "
                           "BEGIN INSERT INTO %2(%3) VALUES(%4); SELECT RAISE(IGNORE); END")
                .arg(quotedName(QLatin1String("orvek_day_") + tableName), quotedName(tableName),
                     names.join(QLatin1Char(',')), values.join(QLatin1Char(',')))
                .toUtf8();
        exec(db, trigger.constData());
    }
}

void SqliteBackend::close() {
    releaseCursors();
    m_idleReaders.clear();
    // Qt closes a connection only when none of its statements is left.
    m_statements.clear();
    if (m_writer == nullptr) {
        return;
    }
    sqlite3* const db = writer();
    if (m_inTransaction) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_inTransaction = false;
    }
    if (!m_journalModeBefore.isEmpty() &&
        m_journalModeBefore.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        // Leave the file in the journal mode other programs found it in. This only succeeds
        // when no other connection has the file open; then it stays in WAL mode, harmlessly.
        sqlite3_busy_timeout(db, 0);
        const QByteArray restore =
            QStringLiteral("PRAGMA journal_mode=%1").arg(m_journalModeBefore).toLatin1();
        sqlite3_exec(db, restore.constData(), nullptr, nullptr, nullptr);
    }
    m_writer.reset();
}

void SqliteBackend::execute(const QString& sql, const std::vector<QDate>& params) {
    if (!isOpen()) {
        throw RuntimeError(QStringLiteral("The database is not open"));
    }
    const QByteArray utf8 = sql.toUtf8();
    try {
        if (!params.empty() || !splitLiterals(utf8, m_literals)) {
            // A statement of another kind may change what cached ones were compiled against.
            const auto clearCache = qScopeGuard([this] { m_statements.clear(); });
            executePlain(utf8, params);
        } else if (!executeCached()) {
            executePlain(utf8, params);
        }
    } catch (const RuntimeError& error) {
        if (m_inTransaction && sqlite3_get_autocommit(writer())) {
            // Some failures (a full disk, say) roll the whole transaction back.
            m_inTransaction = false;
            throw RuntimeError(error.message() +
                               QStringLiteral(" (the transaction was rolled back)"));
        }
        throw;
    }
    if (m_conversionIncomplete) {
        installDayConversion();
    }
}

void SqliteBackend::executePlain(const QByteArray& utf8, const std::vector<QDate>& params) {
    sqlite3* const db = writer();
    const char* tail = utf8.constData();
    const char* const end = tail + utf8.size();
    size_t nextParam = 0;
    // One statement as a rule; any further ones in the text run too rather than being
    // dropped without a word.
    while (tail < end) {
        Statement stmt(db, tail, int(end - tail), &tail);
        if (stmt.get() == nullptr) {
            break;
        }
        bindDays(db, stmt.get(), params, nextParam);
        stmt.run();
    }
}

bool SqliteBackend::executeCached() {
    sqlite3* const db = writer();
    sqlite3_stmt* const stmt = m_statements.find(db, m_literals.shape);
    if (stmt == nullptr || sqlite3_bind_parameter_count(stmt) != int(m_literals.literals.size())) {
        return false;
    }
    int index = 0;
    for (const Literal& literal : m_literals.literals) {
        ++index;
        int rc = SQLITE_TOOBIG;
        if (literal.kind == Literal::Kind::Integer) {
            rc = sqlite3_bind_int64(stmt, index, literal.integer);
        } else if (literal.size <= std::numeric_limits<int>::max()) {
            // m_literals outlives the step below. An empty view may have no data, and a null
            // pointer would bind NULL instead of ''.
            const std::string_view bytes = m_literals.valueBytes(literal);
            rc = sqlite3_bind_text(stmt, index, bytes.empty() ? "" : bytes.data(),
                                   int(bytes.size()), SQLITE_STATIC);
        }
        if (rc != SQLITE_OK) {
            sqlite3_clear_bindings(stmt);
            return false;
        }
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    // Read before the reset, which may set a message of its own.
    const QString message = rc == SQLITE_DONE ? QString() : errorText(db);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_DONE) {
        throw RuntimeError(message);
    }
    return true;
}

std::unique_ptr<SqliteConnection> SqliteBackend::acquireReader() {
    std::unique_ptr<SqliteConnection> reader;
    if (!m_idleReaders.empty()) {
        reader = std::move(m_idleReaders.back());
        m_idleReaders.pop_back();
    } else {
        // Source queries only read: a reader that cannot write cannot create the file either.
        reader = std::make_unique<SqliteConnection>(
            m_connectionName + QStringLiteral("-reader-%1").arg(++m_readersOpened), m_file,
            SqliteConnection::Mode::ReadOnly);
        sqlite3_busy_timeout(reader->handle(), kBusyTimeoutMs);
    }
    if (m_readersInUse++ == 0) {
        // While a source query holds its snapshot no checkpoint can get past it, and the
        // automatic one would still re-sort the whole growing WAL after every commit: the
        // cost of each insert would grow with the number already written.
        sqlite3_wal_autocheckpoint(writer(), 0);
    }
    return reader;
}

void SqliteBackend::returnReader(std::unique_ptr<SqliteConnection> reader) {
    if (reader != nullptr) {
        m_idleReaders.push_back(std::move(reader));
    }
    if (--m_readersInUse == 0 && m_writer != nullptr) {
        // Copy what was written meanwhile into the database, so the WAL starts over (and is
        // cut back to kWalSizeLimit) with the next write. Passive: it never waits for other
        // programs' readers, and whatever it leaves is done by the next checkpoint.
        sqlite3_wal_autocheckpoint(writer(), kAutoCheckpointPages);
        sqlite3_wal_checkpoint_v2(writer(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    }
}

std::unique_ptr<Cursor> SqliteBackend::openCursor(const QString& sql,
                                                  const std::vector<QDate>& params) {
    if (!isOpen()) {
        throw RuntimeError(QStringLiteral("The database is not open"));
    }
    auto cursor = std::make_unique<SqliteCursor>(*this, acquireReader());
    cursor->start(sql, params);
    return cursor;
}

void SqliteBackend::transactionStatement(const char* sql) {
    if (!isOpen()) {
        throw RuntimeError(QStringLiteral("The database is not open"));
    }
    exec(writer(), sql);
}

void SqliteBackend::startTransaction() {
    if (m_inTransaction) {
        throw RuntimeError(QStringLiteral("A transaction is already active"));
    }
    // IMMEDIATE takes the write lock now, so a busy file fails here and not halfway.
    transactionStatement("BEGIN IMMEDIATE");
    m_inTransaction = true;
}

void SqliteBackend::commit() {
    if (!m_inTransaction) {
        throw RuntimeError(QStringLiteral("No transaction is active"));
    }
    try {
        transactionStatement("COMMIT");
    } catch (const RuntimeError&) {
        m_inTransaction = !sqlite3_get_autocommit(writer());
        throw;
    }
    m_inTransaction = false;
}

void SqliteBackend::rollback() {
    if (!m_inTransaction) {
        throw RuntimeError(QStringLiteral("No transaction is active"));
    }
    m_inTransaction = false;
    transactionStatement("ROLLBACK");
}

bool SqliteBackend::hasObject(const QString& name) {
    if (!isOpen()) {
        throw RuntimeError(QStringLiteral("The database is not open"));
    }
    static const char sql[] = "SELECT 1 FROM main.sqlite_schema WHERE name = ?1 COLLATE NOCASE";
    Statement stmt(writer(), sql, -1);
    const QByteArray utf8 = name.toUtf8();
    sqlite3_bind_text(stmt.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        throw RuntimeError(errorText(writer()));
    }
    return rc == SQLITE_ROW;
}

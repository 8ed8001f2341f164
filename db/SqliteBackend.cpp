#include "db/SqliteBackend.h"

#include "db/RuntimeError.h"

#include <QDir>
#include <QFileInfo>
#include <array>
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

// orvek_day(text): the ISO form of day text written by the connection's short date pattern;
// an error, so the insert is refused, when the text names no day in that pattern.
void dayFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* backend = static_cast<const SqliteBackend*>(sqlite3_user_data(context));
    const DayPattern& pattern = backend->dayPattern();
    const QString text = QString::fromUtf8(
        reinterpret_cast<const char*>(sqlite3_value_text(argv[0])), sqlite3_value_bytes(argv[0]));
    const QDate day = pattern.read(text);
    if (!day.isValid()) {
        const QString message =
            pattern.valid()
                ? QStringLiteral("'%1' is not a day written as %2").arg(text, pattern.text())
                : QStringLiteral("The short date pattern %1 does not name a day, a month and a "
                                 "year, so no day can be written")
                      .arg(pattern.text());
        const QByteArray utf8 = message.toUtf8();
        sqlite3_result_error(context, utf8.constData(), int(utf8.size()));
        return;
    }
    char iso[11];
    std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", day.year(), day.month(), day.day());
    sqlite3_result_text(context, iso, 10, SQLITE_TRANSIENT);
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
    SqliteCursor(SqliteBackend& owner, sqlite3* reader) : Cursor(owner), m_reader(reader) {}
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
            sqlite3_close_v2(m_reader);
        } else {
            backend->returnReader(m_reader);
        }
        m_reader = nullptr;
        m_eof = true;
    }

    sqlite3* m_reader;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_inTransaction = false;
    bool m_eof = false;
    std::vector<ColumnInfo> m_columns;
    mutable QString m_lastDayText;
    mutable QDateTime m_lastDay;
};

SqliteBackend::SqliteBackend(const QStringList& params) : m_params(params) {}

SqliteBackend::~SqliteBackend() {
    close();
}

QString SqliteBackend::databaseFile(const QStringList& params) {
    bool found = false;
    const QString path = paramValue(params, QStringLiteral("PATH"), &found);
    const QString dir = found && !path.isEmpty() ? path : QDir::currentPath();
    return QDir(dir).filePath(QLatin1String(kDatabaseFileName));
}

sqlite3* SqliteBackend::openConnection() const {
    sqlite3* db = nullptr;
    const QByteArray file = m_file.toUtf8();
    // No SQLITE_OPEN_CREATE: a missing database must stay an error.
    const int rc = sqlite3_open_v2(file.constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? errorText(db) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw RuntimeError(
            QStringLiteral("Cannot open the database file %1: %2").arg(m_file, message));
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return db;
}

void SqliteBackend::open() {
    if (isOpen()) {
        return;
    }
    m_file = databaseFile(m_params);
    const QFileInfo info(m_file);
    if (!info.dir().exists()) {
        throw RuntimeError(
            QStringLiteral("The database directory %1 does not exist").arg(info.path()));
    }
    if (!info.exists()) {
        throw RuntimeError(QStringLiteral("The database file %1 does not exist").arg(m_file));
    }
    m_writer = openConnection();
    try {
        m_journalModeBefore = singleText(m_writer, "PRAGMA journal_mode");
        // Source queries keep their snapshot on their own connections only in WAL mode; in
        // rollback-journal mode the writer would wait for them and fail.
        if (singleText(m_writer, "PRAGMA journal_mode=WAL")
                .compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
            throw RuntimeError(
                QStringLiteral("The database file %1 cannot be used in WAL mode").arg(m_file));
        }
        // Each statement commits on its own; WAL keeps that durable across a program crash
        // without a sync per row.
        exec(m_writer, "PRAGMA synchronous=NORMAL");
        exec(m_writer, kWalSizeLimit);
        if (sqlite3_create_function_v2(m_writer, "orvek_day", 1, SQLITE_UTF8, this, dayFunction,
                                       nullptr, nullptr, nullptr) != SQLITE_OK) {
            throw RuntimeError(errorText(m_writer));
        }
        installDayConversion();
    } catch (const RuntimeError& error) {
        sqlite3_close_v2(m_writer);
        m_writer = nullptr;
        if (error.message().contains(m_file)) {
            throw;
        }
        throw RuntimeError(QStringLiteral("%1: %2").arg(m_file, error.message()));
    }
}

void SqliteBackend::installDayConversion() {
    m_conversionIncomplete = false;
    for (const char* table : kDayTargets) {
        const QString tableName = QString::fromLatin1(table);
        const QByteArray info =
            QStringLiteral("PRAGMA main.table_info(%1)").arg(quotedName(tableName)).toUtf8();
        Statement columns(m_writer, info.constData(), int(info.size()));
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
        // The trigger writes the converted row itself and drops the original insert. Triggers
        // do not fire recursively on a connection by default, so the inner insert goes
        // straight to the table.
        const QByteArray trigger =
            QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS %1 BEFORE INSERT ON main.%2 "
                           "BEGIN INSERT INTO %2(%3) VALUES(%4); SELECT RAISE(IGNORE); END")
                .arg(quotedName(QLatin1String("orvek_day_") + tableName), quotedName(tableName),
                     names.join(QLatin1Char(',')), values.join(QLatin1Char(',')))
                .toUtf8();
        exec(m_writer, trigger.constData());
    }
}

void SqliteBackend::close() {
    releaseCursors();
    for (sqlite3* reader : m_idleReaders) {
        sqlite3_close_v2(reader);
    }
    m_idleReaders.clear();
    if (m_writer == nullptr) {
        return;
    }
    if (m_inTransaction) {
        sqlite3_exec(m_writer, "ROLLBACK", nullptr, nullptr, nullptr);
        m_inTransaction = false;
    }
    if (!m_journalModeBefore.isEmpty() &&
        m_journalModeBefore.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        // Leave the file in the journal mode other programs found it in. This only succeeds
        // when no other connection has the file open; then it stays in WAL mode, harmlessly.
        sqlite3_busy_timeout(m_writer, 0);
        const QByteArray restore =
            QStringLiteral("PRAGMA journal_mode=%1").arg(m_journalModeBefore).toLatin1();
        sqlite3_exec(m_writer, restore.constData(), nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(m_writer);
    m_writer = nullptr;
}

void SqliteBackend::execute(const QString& sql, const std::vector<QDate>& params) {
    if (!isOpen()) {
        throw RuntimeError(QStringLiteral("The database is not open"));
    }
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = utf8.constData();
    const char* const end = tail + utf8.size();
    size_t nextParam = 0;
    try {
        // One statement as a rule; any further ones in the text run too rather than being
        // dropped without a word.
        while (tail < end) {
            Statement stmt(m_writer, tail, int(end - tail), &tail);
            if (stmt.get() == nullptr) {
                break;
            }
            bindDays(m_writer, stmt.get(), params, nextParam);
            stmt.run();
        }
    } catch (const RuntimeError& error) {
        if (m_inTransaction && sqlite3_get_autocommit(m_writer)) {
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

sqlite3* SqliteBackend::acquireReader() {
    sqlite3* reader = nullptr;
    if (!m_idleReaders.empty()) {
        reader = m_idleReaders.back();
        m_idleReaders.pop_back();
    } else {
        reader = openConnection();
    }
    if (m_readersInUse++ == 0) {
        // While a source query holds its snapshot no checkpoint can get past it, and the
        // automatic one would still re-sort the whole growing WAL after every commit: the
        // cost of each insert would grow with the number already written.
        sqlite3_wal_autocheckpoint(m_writer, 0);
    }
    return reader;
}

void SqliteBackend::returnReader(sqlite3* reader) {
    if (reader != nullptr) {
        m_idleReaders.push_back(reader);
    }
    if (--m_readersInUse == 0 && m_writer != nullptr) {
        // Copy what was written meanwhile into the database, so the WAL starts over (and is
        // cut back to kWalSizeLimit) with the next write. Passive: it never waits for other
        // programs' readers, and whatever it leaves is done by the next checkpoint.
        sqlite3_wal_autocheckpoint(m_writer, kAutoCheckpointPages);
        sqlite3_wal_checkpoint_v2(m_writer, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
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
    exec(m_writer, sql);
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
        m_inTransaction = !sqlite3_get_autocommit(m_writer);
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
    Statement stmt(m_writer, sql, -1);
    const QByteArray utf8 = name.toUtf8();
    sqlite3_bind_text(stmt.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        throw RuntimeError(errorText(m_writer));
    }
    return rc == SQLITE_ROW;
}

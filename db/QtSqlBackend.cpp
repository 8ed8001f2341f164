#include "db/QtSqlBackend.h"

#include "db/RuntimeError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <functional>
#include <limits>

namespace {

QString uniqueConnectionName() {
    static int counter = 0;
    return QStringLiteral("orvek-%1").arg(++counter);
}

void removeConnection(const QString& name) {
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

} // namespace

class QtSqlCursor final : public Cursor {
public:
    QtSqlCursor(QtSqlBackend& owner, const QSqlDatabase& db) : Cursor(owner), m_query(db) {}
    ~QtSqlCursor() override { release(); }

    void start(const QString& sql, const std::vector<QDate>& params, bool staticCursor,
               const std::function<ColumnInfo(const QSqlField&)>& describe,
               const std::function<QString(const QSqlError&)>& message) {
        m_message = message;
        m_query.setForwardOnly(!staticCursor);
        if (!m_query.prepare(sql)) {
            throw RuntimeError(m_message(m_query.lastError()));
        }
        for (const QDate& day : params) {
            m_query.addBindValue(day);
        }
        if (!m_query.exec()) {
            throw RuntimeError(m_message(m_query.lastError()));
        }
        if (!m_query.isSelect()) {
            throw RuntimeError(QStringLiteral("The query returns no rows"));
        }
        const QSqlRecord record = m_query.record();
        m_columns.reserve(record.count());
        for (int i = 0; i < record.count(); ++i) {
            m_columns.push_back(describe(record.field(i)));
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
    bool isNull(int column) const override { return m_query.isNull(column); }
    QString text(int column) const override { return m_query.value(column).toString(); }
    qint32 integer(int column) const override {
        const QVariant value = m_query.value(column);
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok || number < std::numeric_limits<qint32>::min() ||
            number > std::numeric_limits<qint32>::max()) {
            throw RuntimeError(QStringLiteral("Column %1 holds '%2', which is not a 32-bit integer")
                                   .arg(m_columns[column].name, value.toString()));
        }
        return qint32(number);
    }
    QDateTime dateTime(int column) const override {
        const QVariant value = m_query.value(column);
        switch (value.metaType().id()) {
        case QMetaType::QDate:
            return QDateTime(value.toDate(), QTime(0, 0));
        case QMetaType::QTime:
            return QDateTime(zeroDateTime().date(), value.toTime());
        case QMetaType::QDateTime:
            return value.toDateTime();
        default:
            throw RuntimeError(QStringLiteral("Column %1 holds '%2', which is not a date")
                                   .arg(m_columns[column].name, value.toString()));
        }
    }

private:
    void step() {
        if (m_query.next()) {
            return;
        }
        m_eof = true;
        if (m_query.lastError().isValid()) {
            throw RuntimeError(m_message(m_query.lastError()));
        }
    }

    void releaseResources() override {
        m_query.finish();
        m_query = QSqlQuery();
        m_eof = true;
    }

    QSqlQuery m_query;
    bool m_eof = false;
    std::vector<ColumnInfo> m_columns;
    std::function<QString(const QSqlError&)> m_message;
};

QtSqlBackend::QtSqlBackend(const QString& qtDriver)
    : m_qtDriver(qtDriver), m_writerName(uniqueConnectionName()),
      m_readerName(m_writerName + QStringLiteral("-read")) {}

QtSqlBackend::~QtSqlBackend() {
    // close() is virtual no more here, but it only uses this class's members.
    QtSqlBackend::close();
}

QSqlDatabase QtSqlBackend::writer() const {
    return QSqlDatabase::database(m_writerName, false);
}

QSqlDatabase QtSqlBackend::reader() {
    if (!readsOnOwnConnection()) {
        return writer();
    }
    if (!QSqlDatabase::contains(m_readerName)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(m_qtDriver, m_readerName);
        configure(db);
    }
    QSqlDatabase db = QSqlDatabase::database(m_readerName, false);
    if (!db.isOpen() && !db.open()) {
        throw RuntimeError(message(db.lastError()));
    }
    return db;
}

QString QtSqlBackend::message(const QSqlError& error) const {
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.driverText() : text;
}

void QtSqlBackend::open() {
    if (isOpen()) {
        return;
    }
    if (!QSqlDatabase::isDriverAvailable(m_qtDriver)) {
        throw RuntimeError(QStringLiteral("The Qt SQL driver %1 is not installed").arg(m_qtDriver));
    }
    connectWriter();
    try {
        afterOpen();
    } catch (const RuntimeError&) {
        close();
        throw;
    }
}

void QtSqlBackend::connectWriter() {
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(m_qtDriver, m_writerName);
        configure(db);
        if (!db.open()) {
            failure = message(db.lastError());
        }
    }
    if (!failure.isNull()) {
        removeConnection(m_writerName);
        throw RuntimeError(failure);
    }
}

void QtSqlBackend::reconnect() {
    releaseCursors();
    removeConnection(m_readerName);
    removeConnection(m_writerName);
    connectWriter();
}

void QtSqlBackend::close() {
    releaseCursors();
    if (m_inTransaction) {
        writer().rollback();
        m_inTransaction = false;
    }
    removeConnection(m_readerName);
    removeConnection(m_writerName);
}

bool QtSqlBackend::isOpen() const {
    return QSqlDatabase::contains(m_writerName) && writer().isOpen();
}

void QtSqlBackend::run(const QString& sql) {
    QSqlQuery query(writer());
    if (!query.exec(sql)) {
        throw RuntimeError(message(query.lastError()));
    }
}

void QtSqlBackend::execute(const QString& sql, const std::vector<QDate>& params) {
    if (!isOpen()) {
        throw RuntimeError(QStringLiteral("The database is not open"));
    }
    const QString statement = route(sql);
    const Savepoint guard = m_inTransaction ? savepoint() : Savepoint{};
    // When the savepoint around the statement cannot be set, undone or released, the engine may
    // have aborted the whole transaction, and a commit would then quietly take everything back.
    // The transaction is rolled back here instead, and the caller learns that it has ended.
    const auto abandonTransaction = [this](const QString& text) {
        try {
            rollback();
        } catch (const RuntimeError&) {
        }
        return RuntimeError(text + QStringLiteral(" (the transaction was rolled back)"));
    };
    if (!guard.set.isEmpty()) {
        try {
            run(guard.set);
        } catch (const RuntimeError& error) {
            throw abandonTransaction(error.message());
        }
    }
    QSqlQuery query(writer());
    bool ok;
    if (params.empty()) {
        ok = query.exec(statement);
    } else {
        ok = query.prepare(statement);
        for (const QDate& day : params) {
            query.addBindValue(day);
        }
        ok = ok && query.exec();
    }
    if (!ok) {
        const QString text = message(query.lastError());
        query.finish();
        if (!guard.set.isEmpty()) {
            try {
                run(guard.undo);
            } catch (const RuntimeError& undo) {
                throw abandonTransaction(
                    text + QStringLiteral(" (and undoing it failed: %1)").arg(undo.message()));
            }
        }
        throw RuntimeError(text);
    }
    if (!guard.release.isEmpty()) {
        try {
            run(guard.release);
        } catch (const RuntimeError& error) {
            throw abandonTransaction(error.message());
        }
    }
}

std::unique_ptr<Cursor> QtSqlBackend::openCursor(const QString& sql,
                                                 const std::vector<QDate>& params) {
    if (!isOpen()) {
        throw RuntimeError(QStringLiteral("The database is not open"));
    }
    auto cursor = std::make_unique<QtSqlCursor>(*this, reader());
    cursor->start(
        sql, params, staticCursor(), [this](const QSqlField& field) { return describe(field); },
        [this](const QSqlError& error) { return message(error); });
    return cursor;
}

void QtSqlBackend::startTransaction() {
    if (m_inTransaction) {
        throw RuntimeError(QStringLiteral("A transaction is already active"));
    }
    QSqlDatabase db = writer();
    if (!db.transaction()) {
        throw RuntimeError(message(db.lastError()));
    }
    m_inTransaction = true;
}

void QtSqlBackend::commit() {
    if (!m_inTransaction) {
        throw RuntimeError(QStringLiteral("No transaction is active"));
    }
    QSqlDatabase db = writer();
    if (!db.commit()) {
        throw RuntimeError(message(db.lastError()));
    }
    m_inTransaction = false;
}

void QtSqlBackend::rollback() {
    if (!m_inTransaction) {
        throw RuntimeError(QStringLiteral("No transaction is active"));
    }
    m_inTransaction = false;
    QSqlDatabase db = writer();
    if (!db.rollback()) {
        throw RuntimeError(message(db.lastError()));
    }
}

#include "db/SqliteConnection.h"

#include "db/RuntimeError.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>
#include <sqlite3.h>

namespace {

const QString kDriver = QStringLiteral("QSQLITE");

// Qt's driver always asks SQLite to create a read-write database that is missing. A URI with
// mode=rw (or ro) takes that permission back inside SQLite itself, at the moment of opening, so
// no check made earlier can be overtaken by the file going away in between.
QString openUri(const QString& file, SqliteConnection::Mode mode) {
    const QByteArray path = QUrl::toPercentEncoding(QFileInfo(file).absoluteFilePath(), "/");
    return QStringLiteral("file:") + QString::fromLatin1(path) +
           (mode == SqliteConnection::Mode::ReadOnly ? QStringLiteral("?mode=ro")
                                                     : QStringLiteral("?mode=rw"));
}

// The handle is used with the sqlite3 library this program links; a driver built on another
// copy or version of SQLite would hand over a structure that library cannot read.
void checkSameLibrary(const QSqlDatabase& db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT sqlite_version(), sqlite_source_id()")) ||
        !query.next()) {
        throw RuntimeError(query.lastError().text());
    }
    const QString version = query.value(0).toString();
    if (query.value(1).toString() != QString::fromLatin1(sqlite3_sourceid())) {
        throw RuntimeError(QStringLiteral("Qt's SQLite driver runs SQLite %1 (%2), but this "
                                          "program uses SQLite %3 (%4)")
                               .arg(version, query.value(1).toString(),
                                    QString::fromLatin1(sqlite3_libversion()),
                                    QString::fromLatin1(sqlite3_sourceid())));
    }
}

sqlite3* rawHandle(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        throw RuntimeError(QStringLiteral("Qt's SQLite driver gives no sqlite3 handle"));
    }
    return *static_cast<sqlite3* const*>(handle.constData());
}

} // namespace

SqliteConnection::SqliteConnection(const QString& name, const QString& file, Mode mode)
    : m_name(name) {
    try {
        QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, m_name);
        if (!db.isValid()) {
            throw RuntimeError(QStringLiteral("Qt's SQLite driver %1 is not available: %2")
                                   .arg(kDriver, db.lastError().text()));
        }
        db.setDatabaseName(openUri(file, mode));
        db.setConnectOptions(mode == Mode::ReadOnly
                                 ? QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY")
                                 : QStringLiteral("QSQLITE_OPEN_URI"));
        if (!db.open()) {
            throw RuntimeError(QStringLiteral("Cannot open the database file %1: %2")
                                   .arg(file, db.lastError().databaseText()));
        }
        checkSameLibrary(db);
        m_handle = rawHandle(db);
    } catch (...) {
        QSqlDatabase::removeDatabase(m_name);
        throw;
    }
}

SqliteConnection::~SqliteConnection() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

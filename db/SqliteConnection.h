// One connection to an SQLite database file, opened through Qt SQL's QSQLITE driver, with its raw
// handle for the sqlite3 API.
#pragma once

#include <QString>

struct sqlite3;

class SqliteConnection {
public:
    enum class Mode { ReadWrite, ReadOnly };

    // Opens `file` as the Qt SQL connection `name` (unique in the program). A missing file is
    // never created, in either mode. Throws RuntimeError "Cannot open the database file FILE:
    // <SQLite's message>" when SQLite cannot open it, and a RuntimeError saying so when Qt has
    // no QSQLITE driver or its driver runs another SQLite library than this program.
    SqliteConnection(const QString& name, const QString& file, Mode mode);
    // Closes the connection and removes it from Qt SQL's list. Every statement prepared on
    // handle() must have been finalized: Qt's close leaves a connection with live statements
    // open.
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    sqlite3* handle() const { return m_handle; }
    const QString& name() const { return m_name; }

private:
    QString m_name;
    sqlite3* m_handle = nullptr;
};

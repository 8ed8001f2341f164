// The connection "Confeccao" and the export's components, configured from ./Vendrake.ini exactly
// as the window configures its own.
#pragma once

#include "components/ContarRegistro.h"
#include "db/Database.h"
#include "db/Query.h"
#include "export/ExportRun.h"

#include <QString>

class CommandComponents final {
public:
    // Reads ./Vendrake.ini (the defaults when it is missing) and applies its profile; opens
    // nothing.
    CommandComponents();
    ~CommandComponents();

    CommandComponents(const CommandComponents&) = delete;
    CommandComponents& operator=(const CommandComponents&) = delete;

    TDatabase& database() { return m_database; }
    ExportComponents exportComponents();

    // The file of the embedded default (driver STANDARD), or an empty text for a server.
    QString embeddedDatabaseFile() const;

    // Opens the connection. Throws RuntimeError with the engine's message; when there was no
    // settings file the message says so, since the defaults then name a Windows folder.
    void open();

private:
    // Declared before the queries, which are released first.
    TDatabase m_database;
    TQuery m_qOrvekMestre;
    TQuery m_qOrvekAnalitico;
    TContarRegistro m_contarRegistro;
    bool m_settingsFileFound = false;
};

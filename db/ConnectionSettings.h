// The settings file that chooses the database back-end, and the connection profiles it selects.
#pragma once

#include <QString>

class TDatabase;

struct ConnectionSettings {
    QString tipo = QStringLiteral("Standard");
    QString caminho = QStringLiteral("C:\\Sistemas\\Dados");
};

// Reads keys Tipo and Caminho of section BDados the way Windows reads initialisation files.
// A missing file, section or key leaves its default; values are cut at 2047 characters.
ConnectionSettings readConnectionSettings(const QString& iniPath);

// Closes the connection, clears its parameters and applies the first profile whose kind name
// equals settings.tipo exactly ("Standard", "Interbase", "MSSQL"); any other text keeps the
// driver "STANDARD" with no parameters. Does not open the connection.
void applyConnectionProfile(TDatabase& database, const ConnectionSettings& settings);

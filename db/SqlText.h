// The SQL text of a query as the engines receive it: lines joined with CR LF, and ":Name"
// parameters turned into positional markers.
#pragma once

#include <QString>
#include <QStringList>

// Each line followed by CR LF, the last one too.
QString joinSqlLines(const QStringList& lines);

struct PositionalSql {
    QString text;           // every parameter replaced by "?"
    QStringList paramNames; // in order of appearance; a name used twice is two parameters
};

// Finds the parameters: a colon followed by a letter or "_" outside quoted text ('...' and
// "..."). "::" is left alone, so casts written that way are not parameters.
PositionalSql toPositional(const QString& sql);

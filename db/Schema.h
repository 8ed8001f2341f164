// The DDL of the tool's four tables per engine (schema/*.sql, built into the program), and
// creating what a database lacks.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class TDatabase;

enum class SchemaDialect { Sqlite, Firebird, PostgreSql, SqlServer };

// One table, or one supporting routine, with the statements that create it, in order.
struct SchemaObject {
    QString name;
    QStringList statements;
};

// The objects of a dialect's schema in creation order.
std::vector<SchemaObject> schemaObjects(SchemaDialect dialect);
// Every statement of a dialect's schema, in order, each without its terminator.
QStringList schemaStatements(SchemaDialect dialect);

// The dialect of the connection's engine. Opens the connection when it is closed; throws
// RuntimeError for a data source whose engine has no schema here.
SchemaDialect schemaDialect(TDatabase& database);

// Which objects of a schema: all of them, or the tool's own only (the two summary tables with
// their indexes and, where the engine stores it, the day conversion), leaving out the source
// tables BR_REDUCAOZ and BR_ITENS_RZ that the shop's own system fills.
enum class SchemaScope { Everything, SummaryOnly };

// Whether a schema object of that name belongs to scope.
bool inSchemaScope(const QString& objectName, SchemaScope scope);

// Runs, through the connection, the statements of each schema object in scope that the database
// does not have yet (found by name without regard to case), and returns the names of those
// created. An object that exists is left exactly as it is. Opens the connection when it is
// closed; throws RuntimeError with the engine's message.
QStringList createMissingSchema(TDatabase& database, SchemaScope scope = SchemaScope::Everything);

// Splits a script into statements: each ends with the terminator at the end of a line
// (";" until a "SET TERM x ;" line makes it x); "-- object: NAME" lines start an object;
// other lines starting with "--" are comments. For schema files and tests.
std::vector<SchemaObject> parseSchemaScript(const QString& script);

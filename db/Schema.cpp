#include "db/Schema.h"

#include "db/Backend.h"
#include "db/Database.h"
#include "db/RuntimeError.h"

#include <QFile>

// Outside any namespace, as Q_INIT_RESOURCE requires. The resource lives in a static library:
// nothing would pull it into the program unless something names it.
static void loadSchemaResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(schema);
        return true;
    }();
    Q_UNUSED(loaded);
}

namespace {

QString dialectFile(SchemaDialect dialect) {
    switch (dialect) {
    case SchemaDialect::Sqlite:
        return QStringLiteral(":/schema/sqlite.sql");
    case SchemaDialect::Firebird:
        return QStringLiteral(":/schema/firebird.sql");
    case SchemaDialect::PostgreSql:
        return QStringLiteral(":/schema/postgresql.sql");
    case SchemaDialect::SqlServer:
        return QStringLiteral(":/schema/sqlserver.sql");
    }
    return {};
}

} // namespace

std::vector<SchemaObject> parseSchemaScript(const QString& script) {
    std::vector<SchemaObject> objects;
    QString terminator = QStringLiteral(";");
    QStringList pending;
    const QString objectMark = QStringLiteral("-- object:");
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        const QString trimmed = line.trimmed();
        if (pending.isEmpty()) {
            if (trimmed.startsWith(objectMark)) {
                objects.push_back({trimmed.mid(objectMark.size()).trimmed(), {}});
                continue;
            }
            if (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--"))) {
                continue;
            }
            if (trimmed.startsWith(QLatin1String("SET TERM "), Qt::CaseInsensitive)) {
                // "SET TERM ^ ;" is itself ended by the terminator in force.
                QString rest = trimmed.mid(9).trimmed();
                rest.chop(terminator.size());
                terminator = rest.trimmed();
                continue;
            }
        }
        if (trimmed.startsWith(QLatin1String("--"))) {
            continue;
        }
        if (trimmed.endsWith(terminator)) {
            QString last = line;
            last.truncate(last.lastIndexOf(terminator));
            pending.append(last);
            if (objects.empty()) {
                objects.push_back({});
            }
            objects.back().statements.append(pending.join(QLatin1Char('\n')).trimmed());
            pending.clear();
        } else {
            pending.append(line);
        }
    }
    if (!pending.join(QString()).trimmed().isEmpty()) {
        throw RuntimeError(QStringLiteral("The schema script ends inside a statement"));
    }
    return objects;
}

std::vector<SchemaObject> schemaObjects(SchemaDialect dialect) {
    loadSchemaResources();
    QFile file(dialectFile(dialect));
    if (!file.open(QIODevice::ReadOnly)) {
        throw RuntimeError(
            QStringLiteral("The schema %1 is not built into the program").arg(file.fileName()));
    }
    return parseSchemaScript(QString::fromUtf8(file.readAll()));
}

QStringList schemaStatements(SchemaDialect dialect) {
    QStringList statements;
    for (const SchemaObject& object : schemaObjects(dialect)) {
        statements += object.statements;
    }
    return statements;
}

SchemaDialect schemaDialect(TDatabase& database) {
    database.open();
    switch (database.backend().engine()) {
    case Engine::Sqlite:
        return SchemaDialect::Sqlite;
    case Engine::Firebird:
        return SchemaDialect::Firebird;
    case Engine::PostgreSql:
        return SchemaDialect::PostgreSql;
    case Engine::SqlServer:
        return SchemaDialect::SqlServer;
    case Engine::OtherOdbc:
        break;
    }
    throw RuntimeError(QStringLiteral("The data source of %1 is neither PostgreSQL nor SQL "
                                      "Server: there is no schema for it")
                           .arg(database.aliasName()));
}

bool inSchemaScope(const QString& objectName, SchemaScope scope) {
    if (scope == SchemaScope::Everything) {
        return true;
    }
    return objectName.compare(QLatin1String("BR_REDUCAOZ"), Qt::CaseInsensitive) != 0 &&
           objectName.compare(QLatin1String("BR_ITENS_RZ"), Qt::CaseInsensitive) != 0;
}

QStringList createMissingSchema(TDatabase& database, SchemaScope scope) {
    const SchemaDialect dialect = schemaDialect(database);
    Backend& backend = database.backend();
    QStringList created;
    for (const SchemaObject& object : schemaObjects(dialect)) {
        if (!inSchemaScope(object.name, scope) || backend.hasObject(object.name)) {
            continue;
        }
        for (const QString& statement : object.statements) {
            backend.execute(statement, {});
        }
        created.append(object.name);
    }
    return created;
}

#include "InitCommand.h"

#include "CommandComponents.h"
#include "Console.h"
#include "db/RuntimeError.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

// Creates the embedded database file when its folder exists and the file does not, and returns
// whether it did. The window and the export never do this: a missing file there means a wrong
// setting, not a new database; here creating it is what was asked for.
bool createEmbeddedFile(const QString& file) {
    const QFileInfo info(file);
    if (file.isEmpty() || info.exists() || !info.dir().exists())
        return false;
    QFile created(file);
    // An empty file is an empty SQLite database.
    if (!created.open(QIODevice::NewOnly | QIODevice::WriteOnly))
        throw RuntimeError(QStringLiteral("Cannot create the database file %1: %2")
                               .arg(file, created.errorString()));
    return true;
}

QString namesOrNone(const QStringList& names) {
    return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

} // namespace

void runInitCommand(bool withSource) {
    CommandComponents components;
    const QString file = components.embeddedDatabaseFile();
    const bool fileCreated = createEmbeddedFile(file);
    try {
        components.open();
    } catch (const RuntimeError&) {
        // Nothing was put in it, and a file left behind would hide the failure from the next
        // try.
        if (fileCreated)
            QFile::remove(file);
        throw;
    }
    if (fileCreated)
        writeOut(QStringLiteral("Created the database file %1\n").arg(file));

    const SchemaScope scope = withSource ? SchemaScope::Everything : SchemaScope::SummaryOnly;
    const QStringList created = createMissingSchema(components.database(), scope);
    QStringList present;
    for (const SchemaObject& object : schemaObjects(schemaDialect(components.database()))) {
        if (inSchemaScope(object.name, scope) && !created.contains(object.name))
            present.append(object.name);
    }
    writeOut(QStringLiteral("Created: %1\nAlready there: %2\n")
                 .arg(namesOrNone(created), namesOrNone(present)));
}

#include "export/ExportPass.h"

#include "db/Database.h"
#include "db/Query.h"
#include "db/RuntimeError.h"

#include <QDateTime>
#include <QTime>

void PassContext::rowHandled() {
    ++report.contador;
    if (progress)
        progress(report.contador);
}

void configureSourceQuery(TQuery& query, const QString& queryName, const QStringList& sql,
                          std::initializer_list<std::pair<const char*, FieldKind>> fields) {
    query.sql() = sql;
    for (const auto& [column, kind] : fields) {
        const QString name = QString::fromLatin1(column);
        query.addField(queryName + name, name, kind);
    }
}

std::unique_ptr<TQuery> createQComando(const PassContext& context) {
    auto qComando = std::make_unique<TQuery>();
    qComando->setObjectName(QStringLiteral("QComando"));
    qComando->setDatabaseName(context.database.databaseName());
    return qComando;
}

qint32 countSourceRows(const TQuery& source, const PassContext& context) {
    // A subquery's own FROM never starts a line of the source queries; the main one does.
    const QStringList& lines = source.sql();
    qsizetype from = 0;
    while (from < lines.size() && !lines[from].startsWith(QLatin1String("FROM ")))
        ++from;
    if (from == lines.size())
        throw RuntimeError(QStringLiteral("%1: no line starts with FROM, so its rows cannot be "
                                          "counted")
                               .arg(source.objectName()));
    TQuery count;
    count.setObjectName(source.objectName() + QStringLiteral("Contagem"));
    count.setDatabaseName(source.databaseName());
    // As text: COUNT's own type differs between engines (and SQLite declares none), while every
    // engine describes a VARCHAR as a character column.
    count.sql() = QStringList{QStringLiteral("SELECT CAST(COUNT(*) AS VARCHAR(20)) Linhas")} +
                  lines.mid(from);
    TField* linhas =
        count.addField(QStringLiteral("Linhas"), QStringLiteral("Linhas"), FieldKind::Text);
    const SourceQueryScope scope(count, context);
    bool isNumber = false;
    const qint32 rows = linhas->asString().trimmed().toInt(&isNumber);
    if (!isNumber)
        throw RuntimeError(QStringLiteral("%1: the count '%2' is not a number")
                               .arg(count.objectName(), linhas->asString()));
    return rows;
}

SourceQueryScope::SourceQueryScope(TQuery& query, const PassContext& context) : m_closer{query} {
    // The days are bound as date-times at midnight, which is what the date inputs hold.
    query.setParam(0, QDateTime(context.inicio, QTime(0, 0)));
    query.setParam(1, QDateTime(context.final, QTime(0, 0)));
    query.prepare();
    query.open();
}

SourceQueryScope::Closer::~Closer() {
    query.close();
}

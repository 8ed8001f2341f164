#include "db/FirebirdBackend.h"

#include "db/DayPattern.h"
#include "db/RuntimeError.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <array>

namespace {

// Firebird's SQLDA type codes; the lowest bit only says the column may be NULL.
enum FirebirdType {
    Varying = 448,
    FixedText = 452,
    Double = 480,
    Float = 482,
    Timestamp = 510,
    Blob = 520,
    Time = 560,
    Date = 570,
    Long = 496,
    Short = 500,
    Int64 = 580,
};

const std::array<const char*, 2> kDayTargets = {"OrvekMestre", "OrvekAnalitico"};
const char* const kViewSuffix = "Entrada";
const char* const kDayException = "ORVEK_DIA_INVALIDO";

QString typeName(int type, int length, int scale) {
    switch (type) {
    case Varying:
        return QStringLiteral("VARCHAR");
    case FixedText:
        return QStringLiteral("CHAR");
    case Double:
        return QStringLiteral("DOUBLE PRECISION");
    case Float:
        return QStringLiteral("FLOAT");
    case Timestamp:
        return QStringLiteral("TIMESTAMP");
    case Blob:
        return QStringLiteral("BLOB");
    case Time:
        return QStringLiteral("TIME");
    case Date:
        return QStringLiteral("DATE");
    case Long:
    case Short:
    case Int64:
        if (scale != 0) {
            return QStringLiteral("NUMERIC with %1 decimal places").arg(scale);
        }
        return type == Long    ? QStringLiteral("INTEGER")
               : type == Short ? QStringLiteral("SMALLINT")
                               : QStringLiteral("BIGINT");
    default:
        return QStringLiteral("type %1 of %2 bytes").arg(type).arg(length);
    }
}

} // namespace

FirebirdBackend::FirebirdBackend(const QStringList& params)
    : QtSqlBackend(QStringLiteral("QIBASE")), m_params(params) {}

void FirebirdBackend::configure(QSqlDatabase& db) const {
    // The client library reads host, port and path (or alias) from the one string itself.
    db.setDatabaseName(paramValue(m_params, QStringLiteral("SERVER NAME")));
    db.setUserName(paramValue(m_params, QStringLiteral("USER NAME")));
    db.setPassword(paramValue(m_params, QStringLiteral("PASSWORD")));
}

void FirebirdBackend::setDayPattern(const DayPattern& pattern) {
    // An empty order makes ORVEK_DIA refuse every day, as no reading would be right.
    m_dayOrder = pattern.order();
    m_dayPatternText = pattern.text();
    if (isOpen()) {
        storeDayPattern();
    }
}

void FirebirdBackend::storeDayPattern() {
    QSqlQuery query(writer());
    if (!query.prepare(QStringLiteral(
            "SELECT RDB$SET_CONTEXT('USER_SESSION', 'ORVEK_DAY_ORDER', ?), "
            "RDB$SET_CONTEXT('USER_SESSION', 'ORVEK_DAY_PATTERN', ?) FROM RDB$DATABASE"))) {
        throw RuntimeError(message(query.lastError()));
    }
    query.addBindValue(m_dayOrder);
    query.addBindValue(m_dayPatternText);
    // The select list, and so the setting, is evaluated when the row is fetched.
    if (!query.exec() || !query.next()) {
        throw RuntimeError(message(query.lastError()));
    }
}

void FirebirdBackend::afterOpen() {
    storeDayPattern();
    m_convertedTargets.clear();
    for (const char* table : kDayTargets) {
        const QString target = QString::fromLatin1(table);
        if (hasObject(target + QLatin1String(kViewSuffix))) {
            m_convertedTargets.append(target);
        }
    }
}

QString FirebirdBackend::route(const QString& sql) {
    static const QRegularExpression insertInto(
        QStringLiteral("^\\s*INSERT\\s+INTO\\s+(OrvekMestre|OrvekAnalitico)(?=[\\s(])"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = insertInto.match(sql);
    if (!match.hasMatch()) {
        return sql;
    }
    const QString table = match.captured(1);
    if (!m_convertedTargets.contains(table, Qt::CaseInsensitive)) {
        // The schema may have been completed since the connection opened.
        if (!hasObject(table + QLatin1String(kViewSuffix))) {
            throw RuntimeError(
                QStringLiteral("This database cannot store the days of inserts into %1: it "
                               "lacks the view %1%2 that reads their day text (create it from "
                               "schema/firebird.sql). Nothing was written")
                    .arg(table, QLatin1String(kViewSuffix)));
        }
        m_convertedTargets.append(table);
    }
    QString routed = sql;
    routed.insert(match.capturedEnd(1), QLatin1String(kViewSuffix));
    return routed;
}

bool FirebirdBackend::hasObject(const QString& name) {
    if (!isOpen()) {
        throw RuntimeError(QStringLiteral("The database is not open"));
    }
    QSqlQuery query(writer());
    const QString sql =
        QStringLiteral("SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = ? UNION ALL "
                       "SELECT 1 FROM RDB$FUNCTIONS WHERE RDB$FUNCTION_NAME = ? UNION ALL "
                       "SELECT 1 FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = ? UNION ALL "
                       "SELECT 1 FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = ? UNION ALL "
                       "SELECT 1 FROM RDB$EXCEPTIONS WHERE RDB$EXCEPTION_NAME = ?");
    if (!query.prepare(sql)) {
        throw RuntimeError(message(query.lastError()));
    }
    // Unquoted names are stored in upper case.
    for (int i = 0; i < 5; ++i) {
        query.addBindValue(name.toUpper());
    }
    if (!query.exec()) {
        throw RuntimeError(message(query.lastError()));
    }
    return query.next();
}

ColumnInfo FirebirdBackend::describe(const QSqlField& field) const {
    const int type = field.typeID() & ~1;
    const int scale = field.precision();
    ColumnClass columnClass = ColumnClass::Other;
    switch (type) {
    case Varying:
    case FixedText:
        columnClass = ColumnClass::Text;
        break;
    case Long:
    case Short:
        columnClass = scale == 0 ? ColumnClass::Integer : ColumnClass::Other;
        break;
    case Date:
    case Time:
    case Timestamp:
        columnClass = ColumnClass::DateTime;
        break;
    default:
        break;
    }
    return {field.name(), columnClass, typeName(type, field.length(), scale)};
}

QString FirebirdBackend::message(const QSqlError& error) const {
    const QString text = QtSqlBackend::message(error);
    // The day reader's own refusal says all the user needs; drop the engine's call trail.
    const qsizetype mark = text.indexOf(QLatin1String(kDayException));
    if (mark >= 0) {
        QString own = text.mid(mark + qsizetype(qstrlen(kDayException)));
        own.remove(QRegularExpression(QStringLiteral("^\\s*-\\s*")));
        const qsizetype trail = own.indexOf(QLatin1String(" - At "));
        return trail >= 0 ? own.left(trail) : own;
    }
    return text;
}

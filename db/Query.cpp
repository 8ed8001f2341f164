#include "db/Query.h"

#include "db/Backend.h"
#include "db/Database.h"
#include "db/RuntimeError.h"
#include "db/SqlText.h"

namespace {

QString kindName(FieldKind kind) {
    switch (kind) {
    case FieldKind::Text:
        return QStringLiteral("a character column");
    case FieldKind::Integer:
        return QStringLiteral("an integer column");
    case FieldKind::DateTime:
        return QStringLiteral("a date or time column");
    }
    return {};
}

bool accepts(FieldKind kind, ColumnClass column) {
    switch (kind) {
    case FieldKind::Text:
        return column == ColumnClass::Text || column == ColumnClass::Untyped;
    case FieldKind::Integer:
        return column == ColumnClass::Integer;
    case FieldKind::DateTime:
        return column == ColumnClass::DateTime;
    }
    return false;
}

} // namespace

TField::TField(TQuery* query, const QString& objectName, const QString& fieldName, FieldKind kind)
    : QObject(query), m_query(query), m_fieldName(fieldName), m_kind(kind) {
    setObjectName(objectName);
}

bool TField::isNull() const {
    if (!m_query->active()) {
        throw RuntimeError(
            m_query->messagePrefix() +
            QStringLiteral("Field %1 is read while the query is closed").arg(m_fieldName));
    }
    // Past the last row there is no value to read.
    return m_query->eof() || m_column < 0 || m_query->m_cursor->isNull(m_column);
}

QString TField::asString() const {
    if (isNull()) {
        return {};
    }
    const Cursor& cursor = *m_query->m_cursor;
    switch (m_kind) {
    case FieldKind::Text:
        return cursor.text(m_column);
    case FieldKind::Integer:
        return QString::number(cursor.integer(m_column));
    case FieldKind::DateTime: {
        const QDateTime value = cursor.dateTime(m_column);
        return value.time() == QTime(0, 0) ? value.date().toString(Qt::ISODate)
                                           : value.toString(Qt::ISODate);
    }
    }
    return {};
}

qint32 TField::asInteger() const {
    if (isNull()) {
        return 0;
    }
    const Cursor& cursor = *m_query->m_cursor;
    switch (m_kind) {
    case FieldKind::Integer:
        return cursor.integer(m_column);
    case FieldKind::Text: {
        const QString text = cursor.text(m_column);
        bool ok = false;
        const qint32 value = text.toInt(&ok);
        if (!ok) {
            throw RuntimeError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
        return value;
    }
    case FieldKind::DateTime:
        break;
    }
    throw RuntimeError(m_query->messagePrefix() +
                       QStringLiteral("Field %1 cannot be read as an integer").arg(m_fieldName));
}

QDateTime TField::asDateTime() const {
    if (isNull()) {
        return zeroDateTime();
    }
    if (m_kind != FieldKind::DateTime) {
        throw RuntimeError(m_query->messagePrefix() +
                           QStringLiteral("Field %1 cannot be read as a date").arg(m_fieldName));
    }
    return m_query->m_cursor->dateTime(m_column);
}

TQuery::TQuery(QObject* owner) : QObject(owner) {}

TQuery::~TQuery() {
    close();
}

QString TQuery::messagePrefix() const {
    return objectName().isEmpty() ? QString() : objectName() + QStringLiteral(": ");
}

int TQuery::paramCount() const {
    return int(toPositional(statementText()).paramNames.size());
}

void TQuery::setParam(int index, const QDateTime& value) {
    if (index < 0) {
        throw RuntimeError(messagePrefix() +
                           QStringLiteral("Parameter %1 does not exist").arg(index));
    }
    if (m_params.size() <= size_t(index)) {
        m_params.resize(index + 1);
    }
    m_params[index] = value;
}

TDatabase& TQuery::database() const {
    TDatabase* database = TDatabase::find(m_databaseName);
    if (database == nullptr) {
        throw RuntimeError(messagePrefix() +
                           QStringLiteral("No connection is named %1").arg(m_databaseName));
    }
    return *database;
}

void TQuery::prepare() {
    if (active()) {
        throw RuntimeError(messagePrefix() + QStringLiteral("An open query cannot be prepared"));
    }
    TDatabase& db = database();
    db.open();
    m_prepared = true;
}

std::vector<QDate> TQuery::boundDays(const QStringList& names) const {
    std::vector<QDate> days;
    days.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (size_t(i) >= m_params.size() || !m_params[i].isValid()) {
            throw RuntimeError(messagePrefix() +
                               QStringLiteral("No value for parameter %1").arg(names[i]));
        }
        days.push_back(m_params[i].toDateTime().date());
    }
    return days;
}

void TQuery::open() {
    if (active()) {
        return;
    }
    TDatabase& db = database();
    db.open();
    const PositionalSql sql = toPositional(statementText());
    m_cursor = db.backend().openCursor(sql.text, boundDays(sql.paramNames));

    const std::vector<ColumnInfo>& columns = m_cursor->columns();
    for (TField* field : m_fields) {
        field->m_column = -1;
        for (size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].name.compare(field->m_fieldName, Qt::CaseInsensitive) == 0) {
                field->m_column = int(i);
                break;
            }
        }
        if (field->m_column < 0) {
            m_cursor.reset();
            throw RuntimeError(
                messagePrefix() +
                QStringLiteral("The result has no column %1").arg(field->m_fieldName));
        }
        const ColumnInfo& column = columns[field->m_column];
        if (!accepts(field->m_kind, column.columnClass)) {
            const QString type = column.columnClass == ColumnClass::Untyped
                                     ? QStringLiteral("an expression of no declared type")
                                     : column.typeName;
            const QString message =
                QStringLiteral("Column %1 is %2, but field %3 needs %4")
                    .arg(column.name, type, field->objectName(), kindName(field->m_kind));
            m_cursor.reset();
            throw RuntimeError(messagePrefix() + message);
        }
    }
    m_prepared = true;
}

bool TQuery::active() const {
    return m_cursor && m_cursor->attached();
}

bool TQuery::eof() const {
    return !active() || m_cursor->eof();
}

void TQuery::next() {
    if (active()) {
        m_cursor->next();
    }
}

void TQuery::close() {
    m_cursor.reset();
}

void TQuery::execSQL() {
    TDatabase& db = database();
    db.open();
    const PositionalSql sql = toPositional(statementText());
    db.backend().execute(sql.text, boundDays(sql.paramNames));
}

QString TQuery::statementText() const {
    return joinSqlLines(m_sql);
}

TField* TQuery::addField(const QString& objectName, const QString& fieldName, FieldKind kind) {
    auto* field = new TField(this, objectName, fieldName, kind);
    m_fields.push_back(field);
    return field;
}

TField* TQuery::fieldByName(const QString& fieldName) const {
    for (TField* field : m_fields) {
        if (field->m_fieldName.compare(fieldName, Qt::CaseInsensitive) == 0) {
            return field;
        }
    }
    throw RuntimeError(messagePrefix() + QStringLiteral("Field %1 not found").arg(fieldName));
}

// Keeps these classes' meta-object code in this object file, apart from other headers' code.
#include "moc_Query.cpp"

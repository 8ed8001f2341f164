#include "db/OdbcBackend.h"

#include "db/DayPattern.h"
#include "db/RuntimeError.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

namespace {

// ODBC's SQL data type codes, as drivers describe result columns.
enum OdbcType {
    Char = 1,
    Numeric = 2,
    Decimal = 3,
    Integer = 4,
    SmallInt = 5,
    Float = 6,
    Real = 7,
    Double = 8,
    DateV2 = 9,
    TimeV2 = 10,
    TimestampV2 = 11,
    VarChar = 12,
    Date = 91,
    Time = 92,
    Timestamp = 93,
    LongVarChar = -1,
    BigInt = -5,
    TinyInt = -6,
    WChar = -8,
    WVarChar = -9,
    WLongVarChar = -10,
};

QString typeName(int type) {
    switch (type) {
    case Char:
        return QStringLiteral("CHAR");
    case WChar:
        return QStringLiteral("NCHAR");
    case VarChar:
        return QStringLiteral("VARCHAR");
    case WVarChar:
        return QStringLiteral("NVARCHAR");
    case LongVarChar:
    case WLongVarChar:
        return QStringLiteral("TEXT");
    case Numeric:
        return QStringLiteral("NUMERIC");
    case Decimal:
        return QStringLiteral("DECIMAL");
    case Integer:
        return QStringLiteral("INTEGER");
    case SmallInt:
        return QStringLiteral("SMALLINT");
    case TinyInt:
        return QStringLiteral("TINYINT");
    case BigInt:
        return QStringLiteral("BIGINT");
    case Float:
        return QStringLiteral("FLOAT");
    case Real:
        return QStringLiteral("REAL");
    case Double:
        return QStringLiteral("DOUBLE PRECISION");
    case Date:
    case DateV2:
        return QStringLiteral("DATE");
    case Time:
    case TimeV2:
        return QStringLiteral("TIME");
    case Timestamp:
    case TimestampV2:
        return QStringLiteral("TIMESTAMP");
    default:
        return QStringLiteral("ODBC type %1").arg(type);
    }
}

} // namespace

OdbcBackend::OdbcBackend(const QString& dataSource, const QStringList& params)
    : QtSqlBackend(QStringLiteral("QODBC")), m_dataSource(dataSource), m_params(params) {}

void OdbcBackend::configure(QSqlDatabase& db) const {
    // QODBC puts "DSN=" in front, so attributes after the name reach the driver.
    db.setDatabaseName(m_dataSource + m_attributes);
    db.setUserName(paramValue(m_params, QStringLiteral("USER NAME")));
}

void OdbcBackend::afterOpen() {
    switch (writer().driver()->dbmsType()) {
    case QSqlDriver::PostgreSQL:
        m_engine = Engine::PostgreSql;
        if (m_attributes.isEmpty()) {
            // psqlODBC otherwise rolls the whole transaction back when one statement fails
            // (measured with its default setting and with "Protocol=7.4-2" alike), which
            // also drops the savepoint that was to undo that statement alone.
            m_attributes = QStringLiteral(";Protocol=7.4-0");
            reconnect();
        }
        break;
    case QSqlDriver::MSSqlServer:
        m_engine = Engine::SqlServer;
        break;
    default:
        m_engine = Engine::OtherOdbc;
        break;
    }
    storeDayPattern();
}

void OdbcBackend::setDayPattern(const DayPattern& pattern) {
    m_dayOrder = pattern.order();
    m_dayPatternText = pattern.text();
    if (isOpen()) {
        storeDayPattern();
    }
}

void OdbcBackend::storeDayPattern() {
    if (m_engine == Engine::PostgreSql) {
        // DateStyle's output part stays ISO, the form the driver reads days back in.
        static const QStringList orders = {QStringLiteral("DMY"), QStringLiteral("MDY"),
                                           QStringLiteral("YMD")};
        if (!orders.contains(m_dayOrder)) {
            throw RuntimeError(
                QStringLiteral("PostgreSQL cannot read days written as %1").arg(m_dayPatternText));
        }
        run(QStringLiteral("SET DateStyle = 'ISO, %1'").arg(m_dayOrder));
    } else if (m_engine == Engine::SqlServer) {
        if (m_dayOrder.isEmpty()) {
            throw RuntimeError(
                QStringLiteral("SQL Server cannot read days written as %1").arg(m_dayPatternText));
        }
        run(QStringLiteral("SET DATEFORMAT %1").arg(m_dayOrder.toLower()));
    }
}

QString OdbcBackend::route(const QString& sql) {
    if (m_engine == Engine::PostgreSql || m_engine == Engine::SqlServer) {
        return sql;
    }
    static const QRegularExpression insertInto(
        QStringLiteral("^\\s*INSERT\\s+INTO\\s+(OrvekMestre|OrvekAnalitico)(?=[\\s(])"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = insertInto.match(sql);
    if (match.hasMatch()) {
        throw RuntimeError(
            QStringLiteral("The data source %1 is neither PostgreSQL nor SQL Server, so the day "
                           "text of inserts into %2 cannot be read reliably. Nothing was written")
                .arg(m_dataSource, match.captured(1)));
    }
    return sql;
}

OdbcBackend::Savepoint OdbcBackend::savepoint() const {
    if (m_engine == Engine::SqlServer) {
        // SQL Server has no RELEASE; a savepoint simply ends with the transaction.
        return {QStringLiteral("SAVE TRANSACTION orvek_statement"), QString(),
                QStringLiteral("ROLLBACK TRANSACTION orvek_statement")};
    }
    return {QStringLiteral("SAVEPOINT orvek_statement"),
            QStringLiteral("RELEASE SAVEPOINT orvek_statement"),
            QStringLiteral("ROLLBACK TO SAVEPOINT orvek_statement")};
}

bool OdbcBackend::hasObject(const QString& name) {
    if (!isOpen()) {
        throw RuntimeError(QStringLiteral("The database is not open"));
    }
    // Whatever the engine, the driver's catalogue knows its tables and views.
    const QStringList tables = writer().tables(QSql::Tables) + writer().tables(QSql::Views);
    for (const QString& table : tables) {
        if (table.compare(name, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

ColumnInfo OdbcBackend::describe(const QSqlField& field) const {
    const int type = field.typeID();
    ColumnClass columnClass = ColumnClass::Other;
    switch (type) {
    case Char:
    case VarChar:
    case LongVarChar:
    case WChar:
    case WVarChar:
    case WLongVarChar:
        columnClass = ColumnClass::Text;
        break;
    case Integer:
    case SmallInt:
    case TinyInt:
        columnClass = ColumnClass::Integer;
        break;
    case Date:
    case Time:
    case Timestamp:
    case DateV2:
    case TimeV2:
    case TimestampV2:
        columnClass = ColumnClass::DateTime;
        break;
    default:
        break;
    }
    return {field.name(), columnClass, typeName(type)};
}

QString OdbcBackend::message(const QSqlError& error) const {
    // psqlODBC adds a line of its own ("Error while executing the query") after the
    // server's message.
    QString text = QtSqlBackend::message(error);
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
    if (lineEnd > 0) {
        text.truncate(lineEnd);
    }
    if (text.endsWith(QLatin1Char(';'))) {
        text.chop(1);
    }
    return text.trimmed();
}

#include "support/TestDatabase.h"

#include "db/Database.h"
#include "db/RuntimeError.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <ostream>

namespace {

const char* const kFirebirdDirVar = "ORVEK_TEST_FIREBIRD_DIR";
const char* const kOdbcDsnVar = "ORVEK_TEST_ODBC_DSN";
const QString kFirebirdUser = QStringLiteral("SYSDBA");
// The Interbase profile always logs in with this password; the test server is set up with it.
const QString kFirebirdPassword = QStringLiteral("plumtrove");

QString env(const char* name) {
    return qEnvironmentVariable(name);
}

// A name no other test process is using at the same time.
QString uniqueName() {
    static int counter = 0;
    return QStringLiteral("orvek_t%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(++counter)
        .arg(QRandomGenerator::global()->bounded(1000000));
}

void runIsql(const QString& script) {
    QProcess isql;
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-b")});
    if (!isql.waitForStarted()) {
        throw RuntimeError(QStringLiteral("isql-fb cannot be started"));
    }
    isql.write(script.toUtf8());
    isql.closeWriteChannel();
    isql.waitForFinished(60000);
    const QString output =
        QString::fromUtf8(isql.readAllStandardOutput() + isql.readAllStandardError());
    if (isql.exitStatus() != QProcess::NormalExit || isql.exitCode() != 0 ||
        output.contains(QLatin1String("Statement failed"))) {
        throw RuntimeError(QStringLiteral("isql-fb failed: %1").arg(output.trimmed()));
    }
}

QString valueText(const QVariant& value) {
    if (value.isNull()) {
        return QStringLiteral("<null>");
    }
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.date().toString(Qt::ISODate)
                                        : dt.toString(Qt::ISODate);
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

} // namespace

std::vector<TestBackend> allTestBackends() {
    return {TestBackend::Sqlite, TestBackend::Firebird, TestBackend::Odbc};
}

bool testBackendAvailable(TestBackend backend) {
    switch (backend) {
    case TestBackend::Sqlite:
        return true;
    case TestBackend::Firebird:
        return !env(kFirebirdDirVar).isEmpty();
    case TestBackend::Odbc:
        return !env(kOdbcDsnVar).isEmpty() && !env("ODBCINI").isEmpty();
    }
    return false;
}

std::string testBackendMissing(TestBackend backend) {
    switch (backend) {
    case TestBackend::Sqlite:
        return {};
    case TestBackend::Firebird:
        return std::string(kFirebirdDirVar) +
               " is not set (scripts/test-servers.sh start DIR writes it to DIR/env)";
    case TestBackend::Odbc:
        return std::string(kOdbcDsnVar) +
               " is not set (scripts/test-servers.sh start DIR writes it to DIR/env)";
    }
    return {};
}

std::string testBackendName(TestBackend backend) {
    switch (backend) {
    case TestBackend::Sqlite:
        return "Sqlite";
    case TestBackend::Firebird:
        return "Firebird";
    case TestBackend::Odbc:
        return "Odbc";
    }
    return "Unknown";
}

void PrintTo(TestBackend backend, std::ostream* os) {
    *os << testBackendName(backend);
}

void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

class TestDatabase::Impl {
public:
    explicit Impl(TestBackend backend) : backend(backend), rawName(uniqueName()) {}

    ~Impl() {
        if (QSqlDatabase::contains(rawName)) {
            QSqlDatabase::database(rawName, false).close();
            QSqlDatabase::removeDatabase(rawName);
        }
        // Best effort: a database that cannot be removed must not hide the test's own result.
        try {
            if (!firebirdFile.isEmpty()) {
                runIsql(QStringLiteral("CONNECT 'localhost:%1' USER '%2' PASSWORD '%3';\n"
                                       "DROP DATABASE;\n")
                            .arg(firebirdFile, kFirebirdUser, kFirebirdPassword));
            }
        } catch (const RuntimeError& error) {
            std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        }
        if (!pgDatabase.isEmpty()) {
            dropPostgresDatabase();
        }
        if (!previousOdbcIni.isNull()) {
            qputenv("ODBCINI", previousOdbcIni.toUtf8());
        }
    }

    // The setup connection, opened when first needed.
    QSqlDatabase raw() {
        QSqlDatabase db = QSqlDatabase::database(rawName, false);
        if (!db.isOpen() && !db.open()) {
            ADD_FAILURE() << "the setup connection failed: " << db.lastError().text().toStdString();
        }
        return db;
    }

    void addRaw(const QString& driver) {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, rawName);
        configureRaw(db);
    }

    void configureRaw(QSqlDatabase& db) {
        switch (backend) {
        case TestBackend::Sqlite:
            db.setDatabaseName(QDir(directory.path()).filePath(QStringLiteral("Confeccao.db")));
            break;
        case TestBackend::Firebird:
            db.setHostName(QStringLiteral("localhost"));
            db.setDatabaseName(firebirdFile);
            db.setUserName(kFirebirdUser);
            db.setPassword(kFirebirdPassword);
            break;
        case TestBackend::Odbc:
            db.setDatabaseName(dsn);
            db.setUserName(QStringLiteral("sa"));
            break;
        }
    }

    void createFirebird() {
        const QString dir = env(kFirebirdDirVar);
        firebirdFile = QDir(dir).filePath(uniqueName() + QStringLiteral(".fdb"));
        runIsql(QStringLiteral("CREATE DATABASE 'localhost:%1' USER '%2' PASSWORD '%3' "
                               "DEFAULT CHARACTER SET UTF8;\n")
                    .arg(firebirdFile, kFirebirdUser, kFirebirdPassword));
    }

    // A new PostgreSQL database and a data source of its own for it, in a private copy of
    // the odbc.ini that $ODBCINI names.
    void createPostgres() {
        const QString baseDsn = env(kOdbcDsnVar);
        pgDatabase = uniqueName();
        adminQuery(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'")
                       .arg(pgDatabase));

        previousOdbcIni = env("ODBCINI");
        QFile base(previousOdbcIni);
        if (!base.open(QIODevice::ReadOnly)) {
            throw RuntimeError(QStringLiteral("Cannot read %1").arg(previousOdbcIni));
        }
        const QStringList lines = QString::fromUtf8(base.readAll()).split(QLatin1Char('\n'));
        QStringList section;
        bool inBase = false;
        for (const QString& line : lines) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1Char('['))) {
                inBase = trimmed.compare(QLatin1Char('[') + baseDsn + QLatin1Char(']'),
                                         Qt::CaseInsensitive) == 0;
                continue;
            }
            if (inBase && !trimmed.isEmpty() &&
                !trimmed.startsWith(QLatin1String("Database"), Qt::CaseInsensitive)) {
                section.append(trimmed);
            }
        }
        if (section.isEmpty()) {
            throw RuntimeError(
                QStringLiteral("%1 has no data source %2").arg(previousOdbcIni, baseDsn));
        }
        dsn = pgDatabase;
        section.prepend(QLatin1Char('[') + dsn + QLatin1Char(']'));
        section.append(QStringLiteral("Database=") + pgDatabase);
        iniFile = QDir(directory.path()).filePath(QStringLiteral("odbc.ini"));
        QFile ini(iniFile);
        if (!ini.open(QIODevice::WriteOnly)) {
            throw RuntimeError(QStringLiteral("Cannot write %1").arg(iniFile));
        }
        ini.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n') +
                   section.join(QLatin1Char('\n')) + QLatin1Char('\n'))
                      .toUtf8());
        ini.close();
        qputenv("ODBCINI", iniFile.toUtf8());
    }

    void adminQuery(const QString& sql) {
        const QString name = rawName + QStringLiteral("_admin");
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
            admin.setDatabaseName(env(kOdbcDsnVar));
            admin.setUserName(QStringLiteral("sa"));
            QString failure;
            if (!admin.open()) {
                failure = admin.lastError().text();
            } else {
                QSqlQuery query(admin);
                if (!query.exec(sql)) {
                    failure = query.lastError().text();
                }
            }
            admin.close();
            if (!failure.isEmpty()) {
                QSqlDatabase::removeDatabase(name);
                throw RuntimeError(QStringLiteral("%1: %2").arg(sql, failure));
            }
        }
        QSqlDatabase::removeDatabase(name);
    }

    void dropPostgresDatabase() {
        try {
            adminQuery(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(pgDatabase));
        } catch (const RuntimeError& error) {
            std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        }
    }

    TestBackend backend;
    QString rawName;
    QTemporaryDir directory;
    QString firebirdFile;
    QString pgDatabase;
    QString dsn;
    QString iniFile;
    QString previousOdbcIni;
};

TestDatabase::TestDatabase(TestBackend backend, const QString& databaseName)
    : m_backend(backend), m_impl(std::make_unique<Impl>(backend)) {
    if (!testBackendAvailable(backend)) {
        throw RuntimeError(QString::fromStdString(testBackendMissing(backend)));
    }
    if (!m_impl->directory.isValid()) {
        throw RuntimeError(QStringLiteral("No temporary directory"));
    }
    m_database = std::make_unique<TDatabase>();
    m_database->setDatabaseName(databaseName);
    m_database->setLoginPrompt(false);
    switch (backend) {
    case TestBackend::Sqlite: {
        QFile file(QDir(m_impl->directory.path()).filePath(QStringLiteral("Confeccao.db")));
        // An empty file is an empty SQLite database; the layer itself never creates one.
        if (!file.open(QIODevice::WriteOnly)) {
            throw RuntimeError(QStringLiteral("Cannot create %1").arg(file.fileName()));
        }
        file.close();
        m_settings = {QStringLiteral("Standard"), m_impl->directory.path()};
        m_database->setDriverName(QStringLiteral("STANDARD"));
        m_params = {QStringLiteral("PATH=") + m_settings.caminho,
                    QStringLiteral("DEFAULT DRIVER=PARADOX"), QStringLiteral("ENABLE BCD=FALSE")};
        m_impl->addRaw(QStringLiteral("QSQLITE"));
        break;
    }
    case TestBackend::Firebird:
        m_impl->createFirebird();
        m_settings = {QStringLiteral("Interbase"),
                      QStringLiteral("localhost:") + m_impl->firebirdFile};
        m_database->setAliasName(QStringLiteral("Krevan"));
        m_params = {QStringLiteral("SERVER NAME=") + m_settings.caminho,
                    QStringLiteral("USER NAME=SYSDBA"), QStringLiteral("password=plumtrove")};
        m_impl->addRaw(QStringLiteral("QIBASE"));
        break;
    case TestBackend::Odbc:
        m_impl->createPostgres();
        m_settings = {QStringLiteral("MSSQL"), m_impl->dsn};
        m_database->setAliasName(m_impl->dsn);
        m_params = {QStringLiteral("USER NAME=sa")};
        m_impl->addRaw(QStringLiteral("QODBC"));
        break;
    }
    m_database->params() = m_params;
    m_database->open();
    createMissingSchema(*m_database);
}

TestDatabase::~TestDatabase() {
    m_database.reset();
}

void TestDatabase::closeSetupConnection() {
    QSqlDatabase::database(m_impl->rawName, false).close();
}

bool TestDatabase::exec(const QString& sql) {
    QSqlQuery query(m_impl->raw());
    if (!query.exec(sql)) {
        ADD_FAILURE() << "setup SQL failed on " << testBackendName(m_backend) << ": "
                      << query.lastError().text().toStdString() << "\n  " << sql.toStdString();
        return false;
    }
    return true;
}

bool TestDatabase::exec(const QStringList& statements) {
    for (const QString& sql : statements) {
        if (!exec(sql)) {
            return false;
        }
    }
    return true;
}

Rows TestDatabase::rows(const QString& select) {
    Rows result;
    QSqlQuery query(m_impl->raw());
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!query.exec(select)) {
        ADD_FAILURE() << "query failed on " << testBackendName(m_backend) << ": "
                      << query.lastError().text().toStdString() << "\n  " << select.toStdString();
        return result;
    }
    while (query.next()) {
        QStringList row;
        const int count = query.record().count();
        for (int i = 0; i < count; ++i) {
            row.append(valueText(query.value(i)));
        }
        result.push_back(row);
    }
    return result;
}

#include "db/Database.h"

#include "db/Backend.h"
#include "db/DayPattern.h"
#include "db/RuntimeError.h"

#include <algorithm>
#include <vector>

namespace {

// Every live connection, oldest first; the tool is single-threaded.
std::vector<TDatabase*>& liveDatabases() {
    static std::vector<TDatabase*> databases;
    return databases;
}

} // namespace

TDatabase::TDatabase(QObject* owner) : QObject(owner) {
    liveDatabases().push_back(this);
}

TDatabase::~TDatabase() {
    std::erase(liveDatabases(), this);
    if (m_backend) {
        m_backend->close();
    }
}

void TDatabase::setDatabaseName(const QString& name) {
    m_databaseName = name;
}

void TDatabase::setDriverName(const QString& name) {
    m_driverName = name;
    m_aliasName.clear();
}

void TDatabase::setAliasName(const QString& name) {
    m_aliasName = name;
    m_driverName.clear();
}

bool TDatabase::connected() const {
    return m_backend && m_backend->isOpen();
}

void TDatabase::setConnected(bool connected) {
    if (!connected) {
        if (m_backend) {
            m_backend->close();
        }
        return;
    }
    if (this->connected()) {
        return;
    }
    if (m_driverName.isEmpty() && m_aliasName.isEmpty()) {
        throw RuntimeError(QStringLiteral("The connection %1 names neither a driver nor an alias")
                               .arg(m_databaseName));
    }
    // The type and parameters may have changed since the last opening: start afresh.
    m_backend.reset();
    m_backend = makeBackend(m_driverName, m_aliasName, m_params);
    m_backend->setDayPattern(DayPattern::fromShortDatePattern(m_shortDatePattern, m_dateSeparator));
    m_backend->open();
}

void TDatabase::setDayTextPattern(const QString& shortDatePattern, QChar dateSeparator) {
    m_shortDatePattern = shortDatePattern;
    m_dateSeparator = dateSeparator;
    if (m_backend) {
        m_backend->setDayPattern(DayPattern::fromShortDatePattern(shortDatePattern, dateSeparator));
    }
}

void TDatabase::startTransaction() {
    backend().startTransaction();
}

void TDatabase::commit() {
    backend().commit();
}

void TDatabase::rollback() {
    backend().rollback();
}

bool TDatabase::inTransaction() const {
    return connected() && m_backend->inTransaction();
}

TDatabase* TDatabase::find(const QString& databaseName) {
    const auto& databases = liveDatabases();
    // The newest wins, so a connection made for one task shadows an older one of that name.
    for (auto it = databases.rbegin(); it != databases.rend(); ++it) {
        if ((*it)->m_databaseName.compare(databaseName, Qt::CaseInsensitive) == 0) {
            return *it;
        }
    }
    return nullptr;
}

Backend& TDatabase::backend() {
    if (!connected()) {
        throw RuntimeError(QStringLiteral("The database %1 is not open").arg(m_databaseName));
    }
    return *m_backend;
}

// Keeps this class's meta-object code in this object file, apart from other headers' code.
#include "moc_Database.cpp"

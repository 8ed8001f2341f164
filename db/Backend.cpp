#include "db/Backend.h"

#include "db/FirebirdBackend.h"
#include "db/OdbcBackend.h"
#include "db/RuntimeError.h"
#include "db/SqliteBackend.h"

#include <algorithm>

Cursor::Cursor(Backend& owner) : m_owner(&owner) {
    owner.m_cursors.push_back(this);
}

Cursor::~Cursor() {
    if (m_owner != nullptr) {
        std::erase(m_owner->m_cursors, this);
    }
}

void Cursor::release() {
    if (m_owner == nullptr) {
        return;
    }
    releaseResources();
    std::erase(m_owner->m_cursors, this);
    m_owner = nullptr;
}

Backend::~Backend() {
    // Cursors outliving their connection must not reach back into it.
    for (Cursor* cursor : m_cursors) {
        cursor->m_owner = nullptr;
    }
}

void Backend::releaseCursors() {
    while (!m_cursors.empty()) {
        m_cursors.back()->release();
    }
}

std::unique_ptr<Backend> makeBackend(const QString& driverName, const QString& aliasName,
                                     const QStringList& params) {
    if (!aliasName.isEmpty()) {
        if (aliasName.compare(QLatin1String("Krevan"), Qt::CaseInsensitive) == 0) {
            return std::make_unique<FirebirdBackend>(params);
        }
        return std::make_unique<OdbcBackend>(aliasName, params);
    }
    if (driverName.compare(QLatin1String("STANDARD"), Qt::CaseInsensitive) == 0) {
        return std::make_unique<SqliteBackend>(params);
    }
    throw RuntimeError(QStringLiteral("Unknown database driver: %1").arg(driverName));
}

QString paramValue(const QStringList& params, const QString& name, bool* found) {
    for (const QString& line : params) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) == 0) {
            if (found != nullptr) {
                *found = true;
            }
            return line.mid(eq + 1);
        }
    }
    if (found != nullptr) {
        *found = false;
    }
    return {};
}

QDateTime zeroDateTime() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

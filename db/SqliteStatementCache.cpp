#include "db/SqliteStatementCache.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <sqlite3.h>

SqliteStatementCache::SqliteStatementCache(std::size_t capacity)
    : m_capacity(std::max<std::size_t>(capacity, 1)) {
    m_entries.reserve(m_capacity);
}

sqlite3_stmt* SqliteStatementCache::find(sqlite3* db, const std::string& sql) {
    const std::size_t hash = std::hash<std::string>{}(sql);
    ++m_clock;
    for (Entry& entry : m_entries) {
        if (entry.hash == hash && entry.sql == sql) {
            entry.lastUse = m_clock;
            return entry.stmt;
        }
    }
    sqlite3_stmt* stmt = nullptr;
    if (sql.size() > std::size_t(std::numeric_limits<int>::max()) ||
        sqlite3_prepare_v3(db, sql.data(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    if (m_entries.size() >= m_capacity) {
        const auto oldest =
            std::min_element(m_entries.begin(), m_entries.end(),
                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        sqlite3_finalize(oldest->stmt);
        m_entries.erase(oldest);
    }
    m_entries.push_back({sql, hash, stmt, m_clock});
    return stmt;
}

void SqliteStatementCache::clear() {
    for (const Entry& entry : m_entries) {
        sqlite3_finalize(entry.stmt);
    }
    m_entries.clear();
}

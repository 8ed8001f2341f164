// The prepared statements of one SQLite connection, found by their text, so that a statement
// sent again and again is compiled once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class SqliteStatementCache {
public:
    // Holds at most `capacity` statements (at least one).
    explicit SqliteStatementCache(std::size_t capacity);
    ~SqliteStatementCache() { clear(); }
    SqliteStatementCache(const SqliteStatementCache&) = delete;
    SqliteStatementCache& operator=(const SqliteStatementCache&) = delete;

    // The statement prepared from `sql` on `db`, prepared now when not held yet; nullptr when
    // `sql` does not prepare, which is remembered as well. When the cache is full, the entry used
    // least recently makes room. The caller hands the statement back reset and unbound.
    sqlite3_stmt* find(sqlite3* db, const std::string& sql);
    // Finalizes every statement: before their connection closes, and whenever what they were
    // compiled against (triggers, functions, the schema) may have changed.
    void clear();
    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        std::string sql;
        std::size_t hash;
        sqlite3_stmt* stmt; // nullptr: the text does not prepare
        unsigned long long lastUse;
    };

    std::size_t m_capacity;
    std::vector<Entry> m_entries;
    unsigned long long m_clock = 0;
};

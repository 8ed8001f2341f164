#include "export/PassTransaction.h"

#include "db/Database.h"

namespace {

// On the way out of a failed pass the first error is the one the user must read; a second
// failure while tidying up (a connection already lost) says nothing new.
void rollbackQuietly(TDatabase& database) noexcept {
    try {
        database.rollback();
    } catch (...) {
    }
}

} // namespace

BatchedTransaction::BatchedTransaction(TDatabase& database, int rowsPerCommit)
    : m_database(database), m_rowsPerCommit(rowsPerCommit) {
    m_database.startTransaction();
    m_open = true;
}

BatchedTransaction::~BatchedTransaction() {
    if (!m_open)
        return;
    try {
        m_database.commit();
    } catch (...) {
        rollbackQuietly(m_database);
    }
}

void BatchedTransaction::rowWritten() {
    if (++m_pending < m_rowsPerCommit)
        return;
    commit();
    m_pending = 0;
    m_database.startTransaction();
    m_open = true;
}

void BatchedTransaction::commit() {
    m_database.commit();
    m_open = false;
}

WholePassTransaction::WholePassTransaction(TDatabase& database) : m_database(database) {
    m_database.startTransaction();
    m_open = true;
}

WholePassTransaction::~WholePassTransaction() {
    if (m_open)
        rollbackQuietly(m_database);
}

void WholePassTransaction::commit() {
    m_database.commit();
    m_open = false;
}

// The transactions the export passes write in: grouped master rows that always stay, and
// analytic rows that stay only when their pass completes.
#pragma once

class TDatabase;

// Groups the master pass's inserts for speed without changing what a run leaves behind: each
// master row is whole, so every row written is committed, whichever way the pass ends.
class BatchedTransaction final {
public:
    // Starts a transaction. Throws RuntimeError.
    BatchedTransaction(TDatabase& database, int rowsPerCommit);
    // Commits what is pending unless commit() did; when that commit fails it takes the pending
    // rows back, as the connection is then unusable anyway. Never throws.
    ~BatchedTransaction();

    BatchedTransaction(const BatchedTransaction&) = delete;
    BatchedTransaction& operator=(const BatchedTransaction&) = delete;

    // Counts one row written; every rowsPerCommit rows commits and starts a new transaction.
    // Throws RuntimeError.
    void rowWritten();
    // Commits what is pending and ends the grouping. Throws RuntimeError.
    void commit();

private:
    TDatabase& m_database;
    int m_rowsPerCommit;
    int m_pending = 0;
    bool m_open = false;
};

// All the analytic rows of one run: committed when the pass completes, taken back when it ends
// early, so a day and printer is never left half summarised (the pass skips any day and printer
// that already has a row). A statement the engine rejects inside it is undone alone.
class WholePassTransaction final {
public:
    // Starts a transaction. Throws RuntimeError.
    explicit WholePassTransaction(TDatabase& database);
    // Takes everything back unless commit() succeeded. Never throws.
    ~WholePassTransaction();

    WholePassTransaction(const WholePassTransaction&) = delete;
    WholePassTransaction& operator=(const WholePassTransaction&) = delete;

    // Throws RuntimeError; the rows are then taken back.
    void commit();

private:
    TDatabase& m_database;
    bool m_open = false;
};

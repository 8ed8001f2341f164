// Where the export passes send the statements they build: to the connection, or to a listing
// that executes nothing, for a dry run.
#pragma once

#include <QString>
#include <functional>

class TQuery;

class StatementSink {
public:
    virtual ~StatementSink() = default;

    // Whether the statements take effect. A pass opens its transactions only when they do, so a
    // dry run neither writes nor holds a write lock.
    virtual bool executes() const = 0;
    // Sends the statement qComando holds. Throws RuntimeError with the engine's message when the
    // engine rejects it.
    virtual void send(TQuery& qComando) = 0;
};

// Executes each statement on qComando's connection, as a run always has.
class ExecutingSink final : public StatementSink {
public:
    bool executes() const override { return true; }
    void send(TQuery& qComando) override;
};

// Executes nothing: hands each statement's text, exactly as executing it would send it (every
// line followed by CR LF), to list, in the order the passes build them.
class ListingSink final : public StatementSink {
public:
    explicit ListingSink(std::function<void(const QString& statement)> list);

    bool executes() const override { return false; }
    void send(TQuery& qComando) override;

private:
    std::function<void(const QString& statement)> m_list;
};

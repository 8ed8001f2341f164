// A statement sink for tests: executes each statement as a run does and keeps its text.
#pragma once

#include "export/StatementSink.h"

#include <QStringList>

// A statement the engine rejects is kept all the same: it was sent.
class RecordingSink final : public StatementSink {
public:
    bool executes() const override { return true; }
    void send(TQuery& qComando) override;

    QStringList statements;
};

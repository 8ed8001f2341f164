#include "support/RecordingSink.h"

#include "db/Query.h"

void RecordingSink::send(TQuery& qComando) {
    statements.append(qComando.statementText());
    qComando.execSQL();
}

#include "export/StatementSink.h"

#include "db/Query.h"

#include <utility>

void ExecutingSink::send(TQuery& qComando) {
    qComando.execSQL();
}

ListingSink::ListingSink(std::function<void(const QString& statement)> list)
    : m_list(std::move(list)) {}

void ListingSink::send(TQuery& qComando) {
    m_list(qComando.statementText());
}

#include "export/ExportPass.h"

#include "db/Query.h"

#include <QDateTime>
#include <QTime>

void PassContext::rowHandled() {
    ++contador;
    if (progress)
        progress(contador);
}

SourceQueryScope::SourceQueryScope(TQuery& query, const PassContext& context) : m_closer{query} {
    // The days are bound as date-times at midnight, which is what the date inputs hold.
    query.setParam(0, QDateTime(context.inicio, QTime(0, 0)));
    query.setParam(1, QDateTime(context.final, QTime(0, 0)));
    query.prepare();
    query.open();
}

SourceQueryScope::Closer::~Closer() {
    query.close();
}

#include "components/ContarRegistro.h"

TContarRegistro::TContarRegistro(QObject* owner) : QObject(owner) {}

void TContarRegistro::SetAnterior(qint32 value) {
    m_anterior = value;
    AtualizarNovo();
}

void TContarRegistro::SetCasasDecimais(qint32 value) {
    m_casasDecimais = value;
    AtualizarNovo();
}

void TContarRegistro::SetNovo(const QString&) {}

void TContarRegistro::AtualizarNovo() {
    QString text = QString::number(m_anterior);
    // The zeros go in front of everything, a minus sign included: -5 in three places is "0-5".
    const qsizetype missing = qsizetype(m_casasDecimais) - text.size();
    if (missing > 0)
        text.prepend(QString(missing, u'0'));
    m_novo = text;
}

// Compiled here rather than with the other generated code, so that a program using only this
// component links without the rest of the core.
#include "moc_ContarRegistro.cpp"

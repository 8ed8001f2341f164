// A non-visual component that writes a whole number padded on the left with zeros.
#pragma once

#include <QObject>
#include <QString>

class TContarRegistro final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TContarRegistro)
    Q_PROPERTY(qint32 Anterior READ Anterior WRITE SetAnterior)
    Q_PROPERTY(qint32 CasasDecimais READ CasasDecimais WRITE SetCasasDecimais)
    Q_PROPERTY(QString Novo READ Novo WRITE SetNovo)

public:
    explicit TContarRegistro(QObject* owner = nullptr);

    qint32 Anterior() const { return m_anterior; }
    void SetAnterior(qint32 value);
    qint32 CasasDecimais() const { return m_casasDecimais; }
    void SetCasasDecimais(qint32 value);
    // Anterior padded with zeros to CasasDecimais characters (never cut).
    QString Novo() const { return m_novo; }
    // Novo is derived: a value written to it is ignored.
    void SetNovo(const QString& value);

private:
    void AtualizarNovo();

    qint32 m_anterior = 0;
    qint32 m_casasDecimais = 0;
    QString m_novo = QStringLiteral("0");
};

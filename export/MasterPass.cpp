#include "export/MasterPass.h"

#include "components/ContarRegistro.h"
#include "db/Database.h"
#include "db/Query.h"
#include "export/ExportPass.h"
#include "export/PassTransaction.h"
#include "export/StatementSink.h"
#include "export/StatementTexts.h"
#include "export/ValueText.h"

#include <QStringBuilder>
#include <memory>
#include <optional>

namespace {

// The reductions of the days asked for that have no master row yet, each with the four items
// the master row carries (NULL when the reduction lacks that item).
const QStringList kQOrvekMestreSql = {
    QStringLiteral("SELECT DATA_MOVIMENTO, SERIAL, N_CAIXA, COO_INICIAL, COO_FINAL, MODELO,"),
    QStringLiteral("(SELECT Max(Valor) FROM BR_ITENS_RZ WHERE BR_REDUCAOZ.Data_Movimento = "
                   "BR_ITENS_RZ.Data_Movimento AND BR_REDUCAOZ.Serial = BR_ITENS_RZ.Serial AND "
                   "DESCRICAO = '3. Contador de Reduções Z') Reducoes,"),
    QStringLiteral("(SELECT Max(Valor) FROM BR_ITENS_RZ WHERE BR_REDUCAOZ.Data_Movimento = "
                   "BR_ITENS_RZ.Data_Movimento AND BR_REDUCAOZ.Serial = BR_ITENS_RZ.Serial AND "
                   "DESCRICAO = '2. Contador de Reinício de Operação') Reinicio,"),
    QStringLiteral("(SELECT Max(Valor) FROM BR_ITENS_RZ WHERE BR_REDUCAOZ.Data_Movimento = "
                   "BR_ITENS_RZ.Data_Movimento AND BR_REDUCAOZ.Serial = BR_ITENS_RZ.Serial AND "
                   "DESCRICAO = '2. VENDA BRUTA DIÁRIA') VendaBruta,"),
    QStringLiteral("(SELECT Max(Valor) FROM BR_ITENS_RZ WHERE BR_REDUCAOZ.Data_Movimento = "
                   "BR_ITENS_RZ.Data_Movimento AND BR_REDUCAOZ.Serial = BR_ITENS_RZ.Serial AND "
                   "DESCRICAO = '1. TOTALIZADOR GERAL') TotalizadorGeral"),
    QStringLiteral("FROM BR_REDUCAOZ"),
    QStringLiteral("WHERE BR_REDUCAOZ.Data_Movimento BETWEEN :Inicio AND :Final"),
    QStringLiteral("  AND NOT Exists (SELECT Emissao FROM OrvekMestre WHERE OrvekMestre.Emissao = "
                   "BR_REDUCAOZ.DATA_MOVIMENTO AND OrvekMestre.Serie = BR_REDUCAOZ.SERIAL)"),
    QString(),
};

const QString kInsertHead = QStringLiteral(
    "INSERT INTO OrvekMestre(Emissao, Serie, Equipamento, ModeloFiscal, COOInicial, COOFinal, "
    "Reducoes, Reinicio, VendaBruta, TotalizadorGeral, ModeloECF) Values(");

// Inserts are committed in groups: one commit per row is what makes a file database slow, and
// a group lost to a crash is simply selected again by the next run.
constexpr int kRowsPerCommit = 1000;

// The declared fields of an open QOrvekMestre, looked up once per pass rather than per row.
struct MasterFields {
    explicit MasterFields(const TQuery& query)
        : dataMovimento(query.fieldByName(QStringLiteral("DATA_MOVIMENTO"))),
          serial(query.fieldByName(QStringLiteral("SERIAL"))),
          nCaixa(query.fieldByName(QStringLiteral("N_CAIXA"))),
          cooInicial(query.fieldByName(QStringLiteral("COO_INICIAL"))),
          cooFinal(query.fieldByName(QStringLiteral("COO_FINAL"))),
          modelo(query.fieldByName(QStringLiteral("MODELO"))),
          reducoes(query.fieldByName(QStringLiteral("Reducoes"))),
          reinicio(query.fieldByName(QStringLiteral("Reinicio"))),
          vendaBruta(query.fieldByName(QStringLiteral("VendaBruta"))),
          totalizadorGeral(query.fieldByName(QStringLiteral("TotalizadorGeral"))) {}

    void read(MasterRow& row) const {
        row.dataMovimento = dataMovimento->asDateTime().date();
        row.serial = serial->asString();
        row.nCaixa = nCaixa->asString();
        row.cooInicial = cooInicial->asInteger();
        row.cooFinal = cooFinal->asInteger();
        row.modelo = modelo->asString();
        row.reducoes = reducoes->asString();
        row.reinicio = reinicio->asString();
        row.vendaBruta = vendaBruta->asString();
        row.totalizadorGeral = totalizadorGeral->asString();
    }

    TField* dataMovimento;
    TField* serial;
    TField* nCaixa;
    TField* cooInicial;
    TField* cooFinal;
    TField* modelo;
    TField* reducoes;
    TField* reinicio;
    TField* vendaBruta;
    TField* totalizadorGeral;
};

} // namespace

void configureQOrvekMestre(TQuery& query) {
    configureSourceQuery(query, QStringLiteral("QOrvekMestre"), kQOrvekMestreSql,
                         {
                             {"DATA_MOVIMENTO", FieldKind::DateTime},
                             {"SERIAL", FieldKind::Text},
                             {"N_CAIXA", FieldKind::Text},
                             {"COO_INICIAL", FieldKind::Integer},
                             {"COO_FINAL", FieldKind::Integer},
                             {"MODELO", FieldKind::Text},
                             {"Reducoes", FieldKind::Text},
                             {"Reinicio", FieldKind::Text},
                             {"VendaBruta", FieldKind::Text},
                             {"TotalizadorGeral", FieldKind::Text},
                         });
}

void masterStatement(const MasterRow& row, TContarRegistro& contarRegistro, StatementTexts& texts,
                     QStringList& lines) {
    const RegionalSettings& settings = texts.settings();
    lines.clear();
    lines.append(kInsertHead);
    lines.append(texts.daySerialLine(row.dataMovimento, row.serial));
    contarRegistro.SetCasasDecimais(3);
    contarRegistro.SetAnterior(readInteger(row.nCaixa));
    lines.append(QStringLiteral(", ") % quotedText(contarRegistro.Novo()));
    lines.append(QStringLiteral(", '2D', ") % integerText(row.cooInicial) % QStringLiteral(", ") %
                 integerText(row.cooFinal) % QStringLiteral(", ") %
                 counterNumber(row.reducoes, settings) % QStringLiteral(", ") %
                 counterNumber(row.reinicio, settings));
    lines.append(QStringLiteral(", ") % zeroPrefixedAmount(row.vendaBruta));
    lines.append(QStringLiteral(", ") % zeroPrefixedAmount(row.totalizadorGeral));
    lines.append(QStringLiteral(", ") % quotedText(row.modelo) % QStringLiteral(")"));
}

void runMasterPass(TQuery& qOrvekMestre, TContarRegistro& contarRegistro, PassContext& context) {
    // Released on every way out of the pass.
    const auto qComando = createQComando(context);

    const SourceQueryScope source(qOrvekMestre, context);
    const MasterFields fields(qOrvekMestre);
    // Started once the source query is open, so that the query reads the tables as they were
    // before this pass wrote anything. A dry run opens none.
    std::optional<BatchedTransaction> transaction;
    if (context.statements.executes())
        transaction.emplace(context.database, kRowsPerCommit);
    StatementTexts texts(context.settings);
    MasterRow row;
    while (!qOrvekMestre.eof()) {
        fields.read(row);
        masterStatement(row, contarRegistro, texts, qComando->sql());
        context.statements.send(*qComando);
        ++context.report.masterRows;
        if (transaction)
            transaction->rowWritten();
        context.rowHandled();
        qOrvekMestre.next();
    }
    if (transaction)
        transaction->commit();
}

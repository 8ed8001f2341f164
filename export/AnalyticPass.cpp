#include "export/AnalyticPass.h"

#include "db/Database.h"
#include "db/Query.h"
#include "db/RuntimeError.h"
#include "export/ConversionError.h"
#include "export/ExportPass.h"
#include "export/PassTransaction.h"
#include "export/StatementSink.h"
#include "export/StatementTexts.h"
#include "export/ValueText.h"

#include <QStringBuilder>
#include <memory>
#include <optional>

namespace {

// The items of the days asked for that carry a rate or are the cancellation or discount total,
// of the days and printers that have no analytic row yet. Descricao is selected twice: the
// cancellation and discount tests read it under its own name.
const QStringList kQOrvekAnaliticoSql = {
    QStringLiteral("SELECT BR_ITENS_RZ.Descricao DescricaoRZ, Descricao, Data_Movimento, Serial, "
                   "Aliquota, Valor "),
    QStringLiteral("FROM BR_ITENS_RZ"),
    QStringLiteral("WHERE DATA_MOVIMENTO BETWEEN :Inicio AND :Final"),
    QStringLiteral("  AND NOT Exists (SELECT Emissao FROM OrvekAnalitico WHERE "
                   "OrvekAnalitico.Emissao = BR_ITENS_RZ.DATA_MOVIMENTO AND OrvekAnalitico.Serie "
                   "= BR_ITENS_RZ.SERIAL)"),
    QStringLiteral("  AND (BR_ITENS_RZ.ALIQUOTA <> '' OR BR_ITENS_RZ.Descricao = '3. CANCELAMENTO "
                   "ICMS' OR BR_ITENS_RZ.Descricao = '4. DESCONTO ICMS')"),
};

const QString kInsertHead = QStringLiteral(
    "INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, TotalizadorParcial) Values(");

// The declared fields of an open QOrvekAnalitico, looked up once per pass rather than per row.
struct AnalyticFields {
    explicit AnalyticFields(const TQuery& query)
        : descricaoRZ(query.fieldByName(QStringLiteral("DescricaoRZ"))),
          descricao(query.fieldByName(QStringLiteral("Descricao"))),
          dataMovimento(query.fieldByName(QStringLiteral("Data_Movimento"))),
          serial(query.fieldByName(QStringLiteral("Serial"))),
          aliquota(query.fieldByName(QStringLiteral("Aliquota"))),
          valor(query.fieldByName(QStringLiteral("Valor"))) {}

    void read(AnalyticRow& row) const {
        row.descricaoRZ = descricaoRZ->asString();
        row.descricao = descricao->asString();
        row.dataMovimento = dataMovimento->asDateTime().date();
        row.serial = serial->asString();
        row.aliquota = aliquota->asString();
        row.valor = valor->asString();
    }

    TField* descricaoRZ;
    TField* descricao;
    TField* dataMovimento;
    TField* serial;
    TField* aliquota;
    TField* valor;
};

} // namespace

void configureQOrvekAnalitico(TQuery& query) {
    configureSourceQuery(query, QStringLiteral("QOrvekAnalitico"), kQOrvekAnaliticoSql,
                         {
                             {"DescricaoRZ", FieldKind::Text},
                             {"Descricao", FieldKind::Text},
                             {"Data_Movimento", FieldKind::DateTime},
                             {"Serial", FieldKind::Text},
                             {"Aliquota", FieldKind::Text},
                             {"Valor", FieldKind::Text},
                         });
}

QString taxSituationLine(const AnalyticRow& row, StatementTexts& texts) {
    // The names are compared whole and case-sensitively, in this order. "INENTO ISSQN" is
    // matched exactly as the tool always has; summaries already stored depend on it, so an item
    // named otherwise ("ISENTO ISSQN" too) is classified by its rate.
    if (row.descricao == u"ISENTO ICMS")
        return QStringLiteral(", 'T'");
    if (row.descricao == u"NÃO TRIBUTADO ICMS")
        return QStringLiteral(", 'N'");
    if (row.descricao == u"SUBSTITUIÇÃO TRIBUTÁRIA ICMS")
        return QStringLiteral(", 'F'");
    if (row.descricao == u"INENTO ISSQN")
        return QStringLiteral(", 'ISS'");
    if (row.descricaoRZ == u"3. CANCELAMENTO ICMS")
        return QStringLiteral(", 'CANC'");
    if (row.descricaoRZ == u"4. DESCONTO ICMS")
        return QStringLiteral(", 'DESC'");
    return texts.rateLine(row.aliquota);
}

bool analyticStatement(const AnalyticRow& row, StatementTexts& texts, QStringList& lines,
                       QString* refusal) {
    lines.clear();
    lines.append(kInsertHead);
    lines.append(texts.daySerialLine(row.dataMovimento, row.serial));
    // Built before the amount: a rate that is not a number ends the run even when the amount
    // would have been refused too.
    lines.append(taxSituationLine(row, texts));
    QString value;
    try {
        value = amount(row.valor);
    } catch (const ConversionError& error) {
        if (refusal)
            *refusal = error.message();
        return false;
    }
    lines.append(QStringLiteral(", ") % value % QStringLiteral(")"));
    return true;
}

void runAnalyticPass(TQuery& qOrvekAnalitico, PassContext& context) {
    // Released on every way out of the pass.
    const auto qComando = createQComando(context);

    const SourceQueryScope source(qOrvekAnalitico, context);
    const AnalyticFields fields(qOrvekAnalitico);
    // Started once the source query is open, so that the query reads the tables as they were
    // before this pass wrote anything. A dry run opens none.
    std::optional<WholePassTransaction> transaction;
    if (context.statements.executes())
        transaction.emplace(context.database);
    StatementTexts texts(context.settings);
    AnalyticRow row;
    QString refusal;
    const auto skip = [&](const QString& reason) {
        context.report.skipped.push_back({row.dataMovimento, row.serial, row.descricao, reason});
    };
    while (!qOrvekAnalitico.eof()) {
        fields.read(row);
        if (analyticStatement(row, texts, qComando->sql(), &refusal)) {
            try {
                context.statements.send(*qComando);
                ++context.report.analyticRows;
            } catch (const RuntimeError& error) {
                // An item the engine rejects is skipped, with no message on the way; the
                // transaction has undone that statement alone. A failure that cost the
                // transaction itself (a full disk, a lost connection) must end the run instead:
                // the items after it would be written outside the transaction and could not be
                // taken back.
                if (!context.database.inTransaction())
                    throw;
                skip(error.message());
            }
        } else {
            skip(refusal);
        }
        context.rowHandled();
        qOrvekAnalitico.next();
    }
    if (transaction)
        transaction->commit();
}

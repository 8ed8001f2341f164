// The analytic summary pass: one OrvekAnalitico row for each taxed, cancelled or discounted
// item of the run's days, for the days and printers that have no analytic row yet.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class StatementTexts;
class TQuery;
struct PassContext;

// Gives QOrvekAnalitico its SQL lines and declares its result fields (QOrvekAnaliticoValor...).
// Call once per query object: fields cannot be declared twice.
void configureQOrvekAnalitico(TQuery& query);

// One row of QOrvekAnalitico, as its fields read it (NULL as empty text or 30 December 1899).
struct AnalyticRow {
    QString descricaoRZ;
    QString descricao;
    QDate dataMovimento;
    QString serial;
    QString aliquota;
    QString valor;
};

// The third value line: the tax-situation code the item's name calls for, or else its rate.
// Throws ConversionError when the rate is needed and is not a number.
QString taxSituationLine(const AnalyticRow& row, StatementTexts& texts);

// Replaces lines with the four lines of the OrvekAnalitico insert for row, with texts by
// texts.settings(), and returns true. Returns false, leaving lines incomplete and the reason in
// *refusal when given, when the item's amount is refused (not a plain number, the empty amount
// included): the item is then skipped like an insert the engine rejects. Throws ConversionError
// when the rate is needed and is not a number.
bool analyticStatement(const AnalyticRow& row, StatementTexts& texts, QStringList& lines,
                       QString* refusal = nullptr);

// Sends the analytic insert of every item qOrvekAnalitico selects for the run's days to
// context.statements, counting each item in context, skipped ones too. An item whose insert the
// engine rejects or whose amount is refused is skipped alone and listed in context.report. The
// rows are committed when the pass completes; any error that ends the pass takes all of them
// back and leaves the query closed. Throws RuntimeError or ConversionError.
void runAnalyticPass(TQuery& qOrvekAnalitico, PassContext& context);

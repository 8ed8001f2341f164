// The master summary pass: one OrvekMestre row for each Z reduction of the run's days that has
// no master row yet.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class StatementTexts;
class TContarRegistro;
class TQuery;
struct PassContext;

// Gives QOrvekMestre its SQL lines and declares its result fields (QOrvekMestreSERIAL...). Call
// once per query object: fields cannot be declared twice.
void configureQOrvekMestre(TQuery& query);

// One row of QOrvekMestre, as its fields read it (NULL as empty text, 0, or 30 December 1899).
struct MasterRow {
    QDate dataMovimento;
    QString serial;
    QString nCaixa;
    qint32 cooInicial = 0;
    qint32 cooFinal = 0;
    QString modelo;
    QString reducoes;
    QString reinicio;
    QString vendaBruta;
    QString totalizadorGeral;
};

// Replaces lines with the seven lines of the OrvekMestre insert for row, with texts by
// texts.settings(); the register number goes through contarRegistro padded to three digits. Throws
// ConversionError when N_CAIXA is not a 32-bit integer, a counter is not a number, or an amount is
// not a plain number (an amount is written unquoted, so anything else would become part of the
// statement).
void masterStatement(const MasterRow& row, TContarRegistro& contarRegistro, StatementTexts& texts,
                     QStringList& lines);

// Sends the master insert of every reduction qOrvekMestre selects for the run's days to
// context.statements, counting each in context. Any error ends the pass after committing the rows
// already inserted, and leaves the query closed. Throws RuntimeError or ConversionError.
void runMasterPass(TQuery& qOrvekMestre, TContarRegistro& contarRegistro, PassContext& context);

// One export run over a range of days: the master pass, then the analytic pass. The window
// and the command-line program both start runs through here.
#pragma once

#include "export/ExportPass.h"

#include <QDate>

class TContarRegistro;
class TDatabase;
class TQuery;
struct RegionalSettings;

// What a run works with; the caller owns all of it and keeps it for as long as the program runs.
struct ExportComponents {
    TDatabase& database;             // the connection the queries name ("Confeccao")
    TQuery& qOrvekMestre;            // configured once by configureQOrvekMestre
    TQuery& qOrvekAnalitico;         // configured once by configureQOrvekAnalitico
    TContarRegistro& contarRegistro; // writes the register numbers
};

// Summarises the days inicio..final (a start after the end selects nothing) into OrvekMestre
// and OrvekAnalitico, skipping days and printers already summarised. Day texts and numbers are
// written by settings, which the caller takes from the host when the run starts; the connection
// is told the same day pattern so that it stores the day meant. progress, when set, is called
// after each source row with the run's count so far.
//
// Returns the number of source rows handled. Throws RuntimeError (ConversionError for a source
// value that cannot be written) with the message for the user; the master rows written before
// it stay, this run's analytic rows are taken back, and both queries are closed, so the next
// run starts afresh and summarises what this one did not.
qint32 runExport(const ExportComponents& components, QDate inicio, QDate final,
                 const RegionalSettings& settings, const ExportProgress& progress);

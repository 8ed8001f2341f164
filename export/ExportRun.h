// One export run over a range of days: the master pass, then the analytic pass. The window
// and the command-line program both start runs through here.
#pragma once

#include "export/ExportPass.h"
#include "export/ExportReport.h"

#include <QDate>
#include <functional>

class StatementSink;
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

// How a run tells its caller what it does, and where its statements go. Every member is
// optional; the window sets only progress.
struct ExportHooks {
    // Called after each source row with the run's count so far.
    ExportProgress progress;
    // When set, the run first counts the rows both passes will handle, with one count query per
    // pass, and calls this once with their sum before the master pass starts.
    std::function<void(qint32 total)> total;
    // Receives the statements; nullptr executes them on the connection. A sink that does not
    // execute makes a dry run: the source queries are read, no transaction is opened and
    // nothing is written.
    StatementSink* statements = nullptr;
};

// Summarises the days inicio..final (a start after the end selects nothing) into OrvekMestre
// and OrvekAnalitico, skipping days and printers already summarised. Day texts and numbers are
// written by settings, which the caller takes from the host when the run starts; the connection
// is told the same day pattern so that it stores the day meant.
//
// Returns what the run did. Throws RuntimeError (ConversionError for a source value that cannot
// be written) with the message for the user; the master rows written before it stay, this
// run's analytic rows are taken back, and both queries are closed, so the next run starts
// afresh and summarises what this one did not.
ExportReport runExport(const ExportComponents& components, QDate inicio, QDate final,
                       const RegionalSettings& settings, const ExportHooks& hooks = {});

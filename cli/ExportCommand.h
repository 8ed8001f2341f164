// orvek-cli export: the window's export run from the command line, with progress and a closing
// summary, or a dry run that prints the statements instead of executing them.
#pragma once

#include <QDate>

struct RegionalSettings;

// Summarises inicio..final on the connection ./Vendrake.ini configures, writing day texts and
// numbers by settings. Shows the progress (a bar on a terminal's standard error, plain lines on
// standard output otherwise), then prints the master and analytic rows written and each skipped
// item with its reason. With dryRun, prints every statement the run would execute instead,
// each exactly as it would be sent, separated by a blank line, and writes nothing. Throws
// RuntimeError with the message for the user.
void runExportCommand(QDate inicio, QDate final, bool dryRun, const RegionalSettings& settings);

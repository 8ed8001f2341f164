// The program's two output streams, written as UTF-8 text, and whether a person is watching.
#pragma once

#include <QString>

// Standard output: results, summaries and the statements of a dry run.
void writeOut(const QString& text);
// Standard error: failures, and the progress bar.
void writeErr(const QString& text);
// Sends what is buffered for standard output and returns whether everything written to it so far
// reached it.
bool stdoutWrittenInFull();

bool stdoutIsTerminal();
bool stderrIsTerminal();

// The application title: the program file's name, as the caption of the program's message boxes.
#pragma once

#include <QString>

// The name without its folder, cut at its first ".", with the first character unchanged and
// every later one in lower case: "/opt/loja/ORVEK.BIN" gives "Orvek".
QString titleFromProgramPath(const QString& programPath);

// The title of the running program, taken from its own file.
QString applicationTitle();

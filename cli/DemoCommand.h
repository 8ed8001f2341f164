// orvek-cli demo: a folder to try the tool in, with its settings file and a database of made-up
// Z reductions.
#pragma once

#include <QDate>
#include <QString>

struct RegionalSettings;

// Creates dir (with its parents) holding Confeccao.db, with the tool's four tables and the
// demonstration data of four printers over the three months before today, and a Vendrake.ini
// that selects it by its absolute path; then prints the days to try and the command that
// summarises them, under Brazilian regional settings when settings (the host's) would refuse
// the data's decimal commas. Refuses a folder that already holds either file, and leaves
// neither behind when it fails. Throws RuntimeError with the message for the user.
void runDemoCommand(const QString& dir, QDate today, const RegionalSettings& settings);

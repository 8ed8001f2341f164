// The command line of orvek-cli: its commands, their options, and the usage text.
#pragma once

#include "db/RuntimeError.h"

#include <QDate>
#include <QString>
#include <QStringList>

struct RegionalSettings;

// Arguments the program cannot act on; the program prints the message with the usage lines and
// ends with status 2.
class UsageError final : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

struct Command {
    enum class Kind { Help, Version, Export, Init, Demo };
    Kind kind = Kind::Help;
    QDate inicio;            // export
    QDate final;             // export
    bool dryRun = false;     // export
    bool withSource = false; // init
    QString dir;             // demo, as given
};

// Reads the arguments (the program's own name first). Days are YYYY-MM-DD or the short date of
// settings. "--help" and "--version" win over anything else given. Throws UsageError.
Command parseCommandLine(const QStringList& arguments, const RegionalSettings& settings);

// The lines naming each command's form, printed with every usage error.
QString usageLines();

// The whole help: the usage lines, what each command does, and the exit statuses; days are
// described with the short date of settings.
QString helpText(const RegionalSettings& settings);

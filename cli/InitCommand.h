// orvek-cli init: prepares the configured database for the tool.
#pragma once

// Creates in the database ./Vendrake.ini configures whatever it lacks of the two summary tables,
// their indexes and the day conversion (where the engine stores one), and with withSource of
// the two source tables too; prints what it created and what was already there. Never drops or
// alters anything. For the embedded default it creates a missing Confeccao.db in a folder that
// exists, and says so. Throws RuntimeError with the message for the user.
void runInitCommand(bool withSource);

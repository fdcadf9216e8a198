#pragma once
#include "commands/cca_commands.h"
#include "commands/command_runner.h"
#include "commands/gt77_commands.h"
#include "commands/jupiter_commands.h"

class App;
struct ReceiverSession;

// What a session's command sequences act on: the buttons they hold, and the
// reception they restart.
CommandRunnerHooks ReceiverCommandHooks(ReceiverSession& session);

// The first usable data: sentence learning restarts, the command button
// follows the kind, and the kind's start-up commands go out.
void InitialiseReceiver(App& app);

// The command chosen in a closed dialog. False when none could be started
// (no receiver session, or a sequence still running).
bool RunJupiterCommand(App& app, const JupiterChoice& choice);
bool RunGt77Command(App& app, const Gt77Choice& choice);
bool RunCcaCommand(App& app, const CcaChoice& choice);

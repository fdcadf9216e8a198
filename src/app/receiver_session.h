#pragma once
#include "commands/command_runner.h"
#include "commands/command_transmitter.h"
#include "commands/receiver_config.h"
#include "link/receiver_link.h"
#include "timekeeping/time_keeper.h"

class App;

// Everything that lives for one receiver connection: connecting creates it,
// disconnecting destroys it, so each connection starts from a clean state.
struct ReceiverSession {
  explicit ReceiverSession(App& app);
  ReceiverSession(const ReceiverSession&) = delete;
  ReceiverSession& operator=(const ReceiverSession&) = delete;

  ReceiverConfig cfg;
  ReceiverLink link;
  TimeKeeper time;
  // Commands to the receiver, one sequence at a time; destroyed with the
  // session, which drops what is left of a sequence.
  CommandTransmitter transmitter;
  CommandRunner commands;
  bool CommandsAvailable = false;  // the kind has a command set and data came
  bool ButtonsLocked = false;     // a mode switch holds "同期", "ｺﾏﾝﾄﾞ..." and "ﾃｽﾄ..."
  bool PortLost = false;  // the device went away (unplugged) while open
};

#pragma once
#include <functional>

#include "commands/command_runner.h"
#include "commands/command_transmitter.h"
#include "commands/receiver_config.h"
#include "commands/test_dialog_model.h"
#include "link/receiver_link.h"
#include "timekeeping/time_keeper.h"

// What a receiver connection works with but does not own.
struct ReceiverSessionDeps {
  Settings& settings;  // `dSSS` keeps the delay measured against the 1PPS
  SerialPort& port;
  Timers& timers;
  MessageBoxes& boxes;
  Beeper& beeper;
  PcClock& clock;
  CounterScale& counterScale;
  ClockDiscipline& discipline;
  EdgeReference& edgeReference;
  BurstDelay& burstDelay;
  ReceiverView& view;
  StatusSink& status;
  LogSink& log;
  bool& clockSetPending;  // "同期" asks for a clock setting at the next second
  // Told at the end of each processed second (the test dialog's client asks
  // its server on schedule there).
  std::function<void(int minute, int second)> secondEnded;
};

// Everything that lives for one receiver connection: connecting creates it,
// disconnecting destroys it, so each connection starts from a clean state.
struct ReceiverSession {
  explicit ReceiverSession(const ReceiverSessionDeps& deps);
  ReceiverSession(const ReceiverSession&) = delete;
  ReceiverSession& operator=(const ReceiverSession&) = delete;

  ReceiverConfig cfg;
  // The test dialog's state: what the user sets there lasts for one
  // connection.
  TestDialogModel testDialog;
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

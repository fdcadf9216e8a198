#pragma once
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
};

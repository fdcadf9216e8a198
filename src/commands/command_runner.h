#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "commands/command_sequence.h"
#include "commands/command_transmitter.h"
#include "commands/receiver_config.h"
#include "platform/message_boxes.h"
#include "platform/timers.h"

// What the steps act on besides the configuration and the status bar.
struct CommandRunnerHooks {
  std::function<void(bool locked)> lockButtons;
  std::function<void()> restartReception;
  // Busy() changed (the command button follows it).
  std::function<void()> busyChanged;
};

// Runs one command sequence at a time on the main loop. Each write waits for
// the outcome of the one before, each wait is a timer, so the tick, the
// display and the reception go on meanwhile. A failed write ends the
// sequence where it stands: the steps after it, including the state changes
// that would record the command as done, are not run, and locked buttons are
// unlocked. Destroying the runner (a disconnect) drops what is left.
class CommandRunner {
 public:
  CommandRunner(CommandTransmitter& transmitter, Timers& timers, MessageBoxes& messageBoxes,
                StatusSink& status, ReceiverConfig& cfg, CommandRunnerHooks hooks);
  ~CommandRunner();
  CommandRunner(const CommandRunner&) = delete;
  CommandRunner& operator=(const CommandRunner&) = delete;

  bool Busy() const { return busy_; }
  // Starts a sequence; false (nothing done) while another one runs.
  bool Run(CommandSequence sequence);

 private:
  void Continue();
  void Written(bool sent);
  void Finish();

  CommandTransmitter& transmitter_;
  Timers& timers_;
  MessageBoxes& messageBoxes_;
  StatusSink& status_;
  ReceiverConfig& cfg_;
  CommandRunnerHooks hooks_;

  CommandSequence sequence_;
  size_t next_ = 0;
  bool busy_ = false;
  bool locked_ = false;
  Timers::Id timer_ = 0;
  // Continuations hold a weak reference, so none reaches a runner that is gone.
  std::shared_ptr<CommandRunner*> self_;
};

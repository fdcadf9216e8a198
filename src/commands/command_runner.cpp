#include "commands/command_runner.h"

#include <utility>

CommandRunner::CommandRunner(CommandTransmitter& transmitter, Timers& timers,
                             MessageBoxes& messageBoxes, StatusSink& status,
                             ReceiverConfig& cfg, CommandRunnerHooks hooks)
    : transmitter_(transmitter),
      timers_(timers),
      messageBoxes_(messageBoxes),
      status_(status),
      cfg_(cfg),
      hooks_(std::move(hooks)),
      self_(std::make_shared<CommandRunner*>(this)) {}

CommandRunner::~CommandRunner() {
  if (timer_ != 0) timers_.Cancel(timer_);
}

bool CommandRunner::Run(CommandSequence sequence) {
  if (busy_) return false;
  sequence_ = std::move(sequence);
  next_ = 0;
  busy_ = true;
  if (hooks_.busyChanged) hooks_.busyChanged();
  Continue();
  return true;
}

void CommandRunner::Continue() {
  const std::weak_ptr<CommandRunner*> self = self_;
  while (next_ < sequence_.size()) {
    CommandStep& s = sequence_[next_++];
    switch (s.kind) {
      case CommandStep::Kind::kStatus:
        status_.ShowStatus(s.text);
        break;
      case CommandStep::Kind::kWrite:
        transmitter_.WriteCommand(std::move(s.bytes), [self](bool sent) {
          if (auto runner = self.lock()) (*runner)->Written(sent);
        });
        return;
      case CommandStep::Kind::kWait:
        timer_ = timers_.Start(s.value, [self] {
          if (auto runner = self.lock()) {
            (*runner)->timer_ = 0;
            (*runner)->Continue();
          }
        });
        return;
      case CommandStep::Kind::kLockButtons:
        locked_ = true;
        if (hooks_.lockButtons) hooks_.lockButtons(true);
        break;
      case CommandStep::Kind::kUnlockButtons:
        locked_ = false;
        if (hooks_.lockButtons) hooks_.lockButtons(false);
        break;
      case CommandStep::Kind::kRestartReception:
        if (hooks_.restartReception) hooks_.restartReception();
        break;
      case CommandStep::Kind::kMessage:
        messageBoxes_.Show(s.text);
        // A modal box runs the main loop; the runner may have gone meanwhile.
        if (self.expired()) return;
        break;
      case CommandStep::Kind::kSetSentence:
        if (s.value >= 0 && s.value < ReceiverConfig::kSentenceKinds) {
          cfg_.SentenceEnabled[s.value] = s.on;
        }
        break;
      case CommandStep::Kind::kSetDatum:
        cfg_.ReceiverDatumCode = s.value;
        break;
      case CommandStep::Kind::kEndLearning:
        cfg_.LearnSentences = false;
        break;
    }
  }
  Finish();
}

void CommandRunner::Written(bool sent) {
  if (!sent) next_ = sequence_.size();
  Continue();
}

void CommandRunner::Finish() {
  if (locked_) {
    locked_ = false;
    if (hooks_.lockButtons) hooks_.lockButtons(false);
  }
  sequence_.clear();
  next_ = 0;
  busy_ = false;
  if (hooks_.busyChanged) hooks_.busyChanged();
}

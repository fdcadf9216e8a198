#pragma once
#include <string>

#include "common/log_sink.h"
#include "net/log_rate_limit.h"
#include "platform/pc_clock.h"

// Answers that were not asked for, or not from the server, are ignored; so
// that a stream of them cannot fill the log, one line a minute tells of them.
class StrayAnswerLog {
 public:
  StrayAnswerLog(LogSink& log, PcClock& clock) : log_(log), clock_(clock) {}
  // `what` names the answer ("NTP応答", "Quor Ok", ...).
  void Ignored(const std::string& what, const std::string& from);

 private:
  LogSink& log_;
  PcClock& clock_;
  LogRateLimit limit_{1};
};

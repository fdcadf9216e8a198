#pragma once
#include <string>

// Where the subsystems write event log lines. The composition root decides
// where they go (the log window always, the log file when logging is on).
class LogSink {
 public:
  virtual ~LogSink() = default;
  // A complete line, already stamped.
  virtual void LogLine(const std::string& text) = 0;
  // "%02d:%02d:%02d  " with the PC's local time now, then the message.
  virtual void LogWithPcTime(const std::string& message) = 0;
};

#pragma once
#include <string>
#include <vector>

#include "common/log_sink.h"
#include "common/text_format.h"
#include "platform/pc_clock.h"

// Log lines as written; the PC-time stamp comes from the fake clock.
class RecordingLog : public LogSink {
 public:
  explicit RecordingLog(PcClock& clock) : clock_(clock) {}
  void LogLine(const std::string& text) override { lines.push_back(text); }
  void LogWithPcTime(const std::string& message) override {
    const LocalTimeRecord t = clock_.GetLocalTime();
    lines.push_back(Stamped(t.Hour, t.Minute, t.Second, message));
  }
  int Count(const std::string& text) const {
    int n = 0;
    for (const std::string& line : lines) n += line.find(text) != std::string::npos;
    return n;
  }
  std::vector<std::string> lines;

 private:
  PcClock& clock_;
};

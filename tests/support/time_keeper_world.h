#pragma once
// A receiver connection's time keeping on the fakes, without the rest of the
// program: the settings, the view, the log and the discipline it works with.
#include <memory>
#include <string>
#include <vector>

#include "common/text_format.h"
#include "fakes/fake_platform.h"
#include "timekeeping/time_keeper.h"

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

struct TimeKeeperWorld {
  explicit TimeKeeperWorld(double startNtp = 3'976'000'000.0) : fake(startNtp) { Reconnect(); }

  FakePlatform fake;
  Settings settings;
  ReceiverView view;
  ReceiverConfig cfg;
  TestDialogModel testDialog;
  RecordingLog log{fake.clock};
  bool clockSetPending = false;
  CounterScale counterScale{fake.counter};
  EdgeReference edgeReference;
  ClockDiscipline discipline{fake.clock, counterScale};
  std::unique_ptr<TimeKeeper> keeper;

  // A new connection's time keeping, with the settings as they are now.
  TimeKeeper& Reconnect() {
    discipline.UseTimeZone(settings.TimeZone);
    keeper = std::make_unique<TimeKeeper>(
        TimeKeeperDeps{settings, settings.dSSS, clockSetPending, view, cfg, testDialog, log,
                       fake.beeper, fake.clock, discipline, counterScale, edgeReference});
    return *keeper;
  }
  TimeKeeper& tk() { return *keeper; }
};

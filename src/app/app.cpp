#include "app/app.h"

App::App(Platform& p) : platform(p), log(p.logFile), link(*this) {
  const uint64_t frequency = platform.counter.Frequency();
  if (!CounterTimesEdges(frequency)) {
    pps.CounterFrequency = 0;
  } else {
    pps.CounterFrequency = static_cast<uint32_t>(frequency);
    CounterPeriod = 1.0 / static_cast<double>(frequency);
  }
}

void App::LogLine(const std::string& text) { log.LogLine(text, settings.IsLogOut == 1); }

const LocalTimeRecord& App::ReadPcClock() {
  NowLocal = platform.clock.GetLocalTime();
  return NowLocal;
}

void App::LogWithPcTime(const std::string& message) {
  const LocalTimeRecord& t = ReadPcClock();
  LogLine(Stamped(t.Hour, t.Minute, t.Second, message));
}

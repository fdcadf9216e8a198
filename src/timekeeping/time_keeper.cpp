#include "timekeeping/time_keeper.h"

#include <algorithm>
#include <cmath>

#include "common/time_arithmetic.h"

TimeKeeper::TimeKeeper(const TimeKeeperDeps& d)
    : settings(d.settings),
      delaySetting(d.delaySetting),
      clockSetPending(d.clockSetPending),
      view(d.view),
      status(d.status),
      cfg(d.cfg),
      testDialog(d.testDialog),
      log(d.log),
      beeper(d.beeper),
      clock(d.clock),
      discipline(d.discipline),
      counterScale(d.counterScale),
      edgeReference(d.edgeReference),
      burstDelay(d.burstDelay) {
  pps.TimeZone = settings.TimeZone;
  timing.DelayTicks = delaySetting;
}

double TimeKeeper::PcNow() const { return LocalTimeToNtpSeconds(clock.GetLocalTime(), pps.TimeZone); }

double TimeKeeper::EdgeJitter() const {
  const uint32_t frequency = counterScale.CounterFrequency();
  if (frequency == 0 || pps.IntervalCount < 10) return 0.001;
  const double spread = std::sqrt(pps.IntervalM2 / (pps.IntervalCount - 1)) / std::sqrt(2.0);
  return std::max(spread / frequency, 1e-6);
}

bool TimeKeeper::EdgeReferenceFresh() const {
  return pps.PpsSeen && timing.TicksSinceEdgeTaken <= kEdgeReferenceFreshTicks;
}

void TimeKeeper::NoteArrivalNow() {
  LineArrival.counter = counterScale.Now();
  LineArrival.pcLocal = clock.GetLocalTime();
}

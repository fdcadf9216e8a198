#include "timekeeping/time_keeper.h"

#include "common/time_arithmetic.h"

TimeKeeper::TimeKeeper(const TimeKeeperDeps& d)
    : settings(d.settings),
      delaySetting(d.delaySetting),
      clockSetPending(d.clockSetPending),
      view(d.view),
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

bool TimeKeeper::EdgeReferenceFresh() const {
  return pps.PpsSeen && timing.TicksSinceEdgeTaken <= kEdgeReferenceFreshTicks;
}

void TimeKeeper::NoteArrivalNow() {
  LineArrival.counter = counterScale.Now();
  LineArrival.pcLocal = clock.GetLocalTime();
}

#include "timekeeping/sentence_time.h"

#include <climits>
#include <cstdint>

#include "app/app.h"
#include "timekeeping/second_processing.h"
#include "timekeeping/time_arithmetic.h"

namespace {

// Garbled fields may hold any int; the carries must not overflow.
void Add(int32_t& value, int64_t delta) {
  int64_t sum = static_cast<int64_t>(value) + delta;
  if (sum > INT32_MAX) sum = INT32_MAX;
  if (sum < INT32_MIN) sum = INT32_MIN;
  value = static_cast<int32_t>(sum);
}

}  // namespace

void ApplySecondCorrection(App& app) {
  PpsTimingRecord& p = app.pps;
  if (app.cfg.NmeaMode) Add(p.Second, app.settings.dSec);
  // Each carry is applied once, one unit after the other.
  if (p.Second >= 60) {
    Add(p.Second, -60);
    Add(p.Minute, 1);
  }
  if (p.Minute >= 60) {
    Add(p.Minute, -60);
    Add(p.UtcHour, 1);
  }
  if (p.UtcHour >= 24) {
    Add(p.UtcHour, -24);
    Add(p.UtcDay, 1);
  }
  if (p.Second < 0) {
    Add(p.Second, 60);
    Add(p.Minute, -1);
  }
  if (p.Minute < 0) {
    Add(p.Minute, 60);
    Add(p.UtcHour, -1);
  }
  if (p.UtcHour < 0) {
    Add(p.UtcHour, 24);
    Add(p.UtcDay, -1);
  }
  p.LocalHour = p.UtcHour;
  Add(p.LocalHour, app.settings.TimeZone);
  if (p.LocalHour >= 24) {
    Add(p.LocalHour, -24);
  } else if (p.LocalHour < 0) {
    Add(p.LocalHour, 24);
  }
}

void ResetSecondCounters(App& app) {
  TickState& k = app.tick;
  k.SecondPending = true;
  k.PpsMarkerSeen = false;
  k.SentenceToPpsTicks = 0;
  k.PendingSecondTicks = 0;
}

void RunSecondIfImmediate(App& app) {
  if (!app.pps.PpsSeen && app.tick.DelayTicks == 0) ProcessSecond(app);
}

void StartSecond(App& app) {
  ResetSecondCounters(app);
  RunSecondIfImmediate(app);
}

void ApplyMidnightDateStep(App& app) {
  PpsTimingRecord& p = app.pps;
  if (p.UtcHour != 0 || p.Minute != 0 || p.Second >= 2) return;
  Add(p.UtcDay, 1);
  if (p.UtcDay > MonthLength(p.UtcYear, p.UtcMonth)) {
    p.UtcDay = 1;
    Add(p.UtcMonth, 1);
  }
  if (p.UtcMonth > 12) {
    p.UtcMonth = 1;
    Add(p.UtcYear, 1);
  }
}

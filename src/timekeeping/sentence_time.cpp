#include "timekeeping/sentence_time.h"

#include <climits>
#include <cstdint>

#include "common/time_arithmetic.h"
#include "timekeeping/time_keeper.h"

namespace {

// Garbled fields may hold any int; the carries must not overflow.
void Add(int32_t& value, int64_t delta) {
  int64_t sum = static_cast<int64_t>(value) + delta;
  if (sum > INT32_MAX) sum = INT32_MAX;
  if (sum < INT32_MIN) sum = INT32_MIN;
  value = static_cast<int32_t>(sum);
}

void MoveHeldDate(PpsTimingRecord& p, int days) {
  if (days == 0 || !ValidReceiverDate(p.UtcYear, p.UtcMonth, p.UtcDay)) return;
  AddDays(p.UtcYear, p.UtcMonth, p.UtcDay, days);
}

}  // namespace

int ApplySecondCorrection(TimeKeeper& tk) {
  PpsTimingRecord& p = tk.pps;
  if (tk.cfg.NmeaMode) Add(p.Second, tk.settings.dSec);
  int dayCarry = 0;
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
    dayCarry = 1;
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
    dayCarry = -1;
  }
  MoveHeldDate(p, dayCarry);
  p.LocalHour = p.UtcHour;
  Add(p.LocalHour, tk.settings.TimeZone);
  if (p.LocalHour >= 24) {
    Add(p.LocalHour, -24);
  } else if (p.LocalHour < 0) {
    Add(p.LocalHour, 24);
  }
  return dayCarry;
}

void ResetSecondCounters(TimeKeeper& tk) {
  SecondTiming& k = tk.timing;
  k.SecondPending = true;
  k.PpsMarkerSeen = false;
  k.SentenceToPpsTicks = 0;
  k.PendingSecondTicks = 0;
  k.SecondStarts += 1;
}

void ApplyMidnightDateStep(TimeKeeper& tk) {
  PpsTimingRecord& p = tk.pps;
  if (p.UtcHour != 0 || p.Minute != 0 || p.Second >= 2) return;
  MoveHeldDate(p, 1);
}

bool TakeReceiverDate(TimeKeeper& tk, int year, int month, int day, int dayCarry) {
  PpsTimingRecord& p = tk.pps;
  if (!ValidReceiverDate(year, month, day)) {
    p.ReceiverDateKnown = false;
    return false;
  }
  if (dayCarry != 0) AddDays(year, month, day, dayCarry);
  p.UtcYear = year;
  p.UtcMonth = month;
  p.UtcDay = day;
  p.ReceiverDateKnown = true;
  return true;
}

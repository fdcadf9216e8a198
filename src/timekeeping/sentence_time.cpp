#include "timekeeping/sentence_time.h"

#include <climits>
#include <cstdint>

#include "common/text_format.h"
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

}  // namespace

int HeldTimeOfDay(const PpsTimingRecord& p) {
  const int64_t t = int64_t{p.UtcHour} * 3600 + int64_t{p.Minute} * 60 + p.Second;
  return t > INT32_MAX ? INT32_MAX : t < INT32_MIN ? INT32_MIN : static_cast<int>(t);
}

int ApplySecondCorrection(TimeKeeper& tk, bool leapRead) {
  PpsTimingRecord& p = tk.pps;
  const bool shifted = tk.cfg.NmeaMode && tk.settings.dSec != 0;
  if (tk.cfg.NmeaMode) Add(p.Second, tk.settings.dSec);
  // 23:59:60 read as such stays the leap second it is. Shifted by dSec the
  // labels around it are off by one, so the seconds near it are not used.
  const bool keepLeap = leapRead && !shifted && p.UtcHour == 23 && p.Minute == 59 && p.Second == 60;
  p.LeapSecond = leapRead;
  if (leapRead) tk.discipline.NoteLeapSecond();
  int dayCarry = 0;
  // Each carry is applied once, one unit after the other.
  if (p.Second >= 60 && !keepLeap) {
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
  p.LocalHour = p.UtcHour;
  Add(p.LocalHour, tk.settings.TimeZone);
  if (p.LocalHour >= 24) {
    Add(p.LocalHour, -24);
  } else if (p.LocalHour < 0) {
    Add(p.LocalHour, 24);
  }
  return dayCarry;
}

int ReadTimeOfDay(TimeKeeper& tk, int hour, int minute, int second) {
  PpsTimingRecord& p = tk.pps;
  p.UtcHour = hour;
  p.Minute = minute;
  p.Second = second;
  const int dayCarry = ApplySecondCorrection(tk, second == 60);
  const int64_t t = int64_t{HeldTimeOfDay(p)} + int64_t{dayCarry} * 86400;
  return t > INT32_MAX ? INT32_MAX : t < INT32_MIN ? INT32_MIN : static_cast<int>(t);
}

void TakeReading(TimeKeeper& tk, const TimeReading& reading) {
  PpsTimingRecord& p = tk.pps;
  const ReceiverKindTraits& kind = tk.Kind();
  SecondTiming& k = tk.timing;
  // A receiver that sends its time sentence several times a second (5 or
  // 10 Hz) names the same second again: the second is started once.
  const bool again = reading.base && reading.timeRead && k.SecondStarted &&
                     HeldTimeOfDay(p) == k.StartedTimeOfDay;
  if (reading.base && !again) {
    k.SecondStarted = reading.timeRead;
    k.StartedTimeOfDay = HeldTimeOfDay(p);
    k.SecondPending = true;
    k.PpsMarkerSeen = false;
    k.SentenceToPpsTicks = 0;
    k.PendingSecondTicks = 0;
    k.SecondStarts += 1;
    k.SecondArrival = tk.LineArrival;
    // A second whose time sentence carried no readable time is not valid,
    // whatever a status says: its time would be the one held from before.
    p.TimeRead = reading.timeRead;
    if (!reading.timeRead) p.TimeValid = false;
  } else if (reading.timeRead) {
    p.TimeRead = true;
  }
  if (reading.fix && p.TimeRead && !p.DateRefused && (kind.timeSentenceArmsPps || reading.ownStatus)) {
    p.TimeValid = true;
  }
  if (again) return;
  if (reading.armsAnyKind || (reading.arms && kind.timeSentenceArmsPps)) p.PpsArmed = true;
}

void ApplyMidnightDateStep(TimeKeeper& tk) {
  PpsTimingRecord& p = tk.pps;
  if (p.UtcHour == 0 && p.Minute == 0 && p.Second < 2 &&
      ValidReceiverDate(p.UtcYear, p.UtcMonth, p.UtcDay)) {
    AddDays(p.UtcYear, p.UtcMonth, p.UtcDay, 1);
  }
  // The held date is the date of the time mark's own second.
  p.DateTimeOfDay = HeldTimeOfDay(p);
}

bool TakeReceiverDate(TimeKeeper& tk, int year, int month, int day, int timeOfDay) {
  PpsTimingRecord& p = tk.pps;
  const ReceiverDate date = TrueReceiverDate(year, month, day);
  if (!date.known) {
    p.ReceiverDateKnown = false;
    p.DateRefused = true;
    p.TimeValid = false;
    if (!tk.DateRefusedTold) {
      tk.DateRefusedTold = true;
      tk.log.LogWithPcTime(StrPrintf(
          "受信機の日付 %04d/%02d/%02d は正しくありません。受信機の時刻を時刻源にしません", year,
          month, day));
    }
    return false;
  }
  if (date.rollovers > 0 && !tk.RolloverTold) {
    tk.RolloverTold = true;
    tk.log.LogWithPcTime(StrPrintf(
        "受信機の日付 %04d/%02d/%02d をGPS週番号の周回(1024週)分進めて %04d/%02d/%02d とします",
        year, month, day, date.year, date.month, date.day));
  }
  if (p.DateRefused) tk.DateRefusedTold = false;
  p.DateRefused = false;
  p.UtcYear = date.year;
  p.UtcMonth = date.month;
  p.UtcDay = date.day;
  p.DateTimeOfDay = timeOfDay;
  p.ReceiverDateKnown = true;
  return true;
}

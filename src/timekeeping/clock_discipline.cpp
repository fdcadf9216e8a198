#include "timekeeping/clock_discipline.h"

#include <cstdlib>

#include "common/time_arithmetic.h"

void ClockDiscipline::UseTimeZone(int hours) {
  timeZone_ = hours;
  clock_.UseTimeZone(hours);
}

ClockDiscipline::Action ClockDiscipline::Decide(int second, int64_t errorMs, int32_t syncOffsetMs,
                                                bool allowed) {
  if (!allowed || second % 5 != 0) return Action::kNone;
  const int64_t off = std::llabs(errorMs - syncOffsetMs);
  onReference_ = off <= kFailureAboveMs;
  if (off >= kNeverFromMs) return Action::kNone;
  if (second % 10 == 0) return off > kStepAboveMs ? Action::kStep : Action::kNone;
  return off > kFailureAboveMs ? Action::kReportFailure : Action::kNone;
}

bool ClockDiscipline::StepTo(double ntpSeconds) {
  return Set(NtpSecondsToLocalTime(ntpSeconds, timeZone_), SubMillisecondNanos(ntpSeconds));
}

bool ClockDiscipline::StepAtCount(double ntpSeconds, uint32_t count) {
  return StepTo(ntpSeconds + counter_.SecondsSince(count));
}

bool ClockDiscipline::SetToWholeMinute(const LocalTimeRecord& now, int syncParm) {
  // Work in local seconds (time zone 0) so the carries into the hour and the
  // date come from the calendar arithmetic.
  double minute = ReceiverTimeToNtpSeconds(now.Year, now.Month, now.Day, now.Hour, now.Minute, 0);
  if (now.Second >= 30) minute += 60;
  LocalTimeRecord target = NtpSecondsToLocalTime(syncParm >= 0 ? minute : minute - 1, 0);
  target.Milliseconds = static_cast<uint16_t>(syncParm >= 0 ? syncParm * 100 : 1000 + syncParm * 100);
  return Set(target, 0);
}

bool ClockDiscipline::Set(const LocalTimeRecord& local, uint32_t extraNanoseconds) {
  onReference_ = ValidReceiverDate(local.Year, local.Month, local.Day) &&
                 clock_.SetLocalTime(local, extraNanoseconds);
  return onReference_;
}

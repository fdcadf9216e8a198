#include "platform/linux/linux_pc_clock.h"

#include <algorithm>
#include <cmath>
#include <ctime>

LocalTimeRecord RealtimeToLocalRecord(const timespec& ts, long zoneSeconds) {
  const time_t shifted = ts.tv_sec + zoneSeconds;
  tm local{};
  gmtime_r(&shifted, &local);
  LocalTimeRecord t;
  t.Year = static_cast<uint16_t>(local.tm_year + 1900);
  t.Month = static_cast<uint16_t>(local.tm_mon + 1);
  t.DayOfWeek = static_cast<uint16_t>(local.tm_wday);
  t.Day = static_cast<uint16_t>(local.tm_mday);
  t.Hour = static_cast<uint16_t>(local.tm_hour);
  t.Minute = static_cast<uint16_t>(local.tm_min);
  t.Second = static_cast<uint16_t>(local.tm_sec);
  t.Milliseconds = static_cast<uint16_t>(ts.tv_nsec / 1000000);
  return t;
}

std::optional<timespec> LocalRecordToRealtime(const LocalTimeRecord& t,
                                              uint32_t extraNanoseconds, long zoneSeconds) {
  tm local{};
  local.tm_year = t.Year - 1900;
  local.tm_mon = t.Month - 1;
  local.tm_mday = t.Day;
  local.tm_hour = t.Hour;
  local.tm_min = t.Minute;
  local.tm_sec = t.Second;
  // timegm reads the record as UTC; the program's zone is then taken off.
  const time_t shifted = timegm(&local);
  if (shifted == static_cast<time_t>(-1)) return std::nullopt;
  timespec ts{};
  ts.tv_sec = shifted - zoneSeconds;
  ts.tv_nsec = static_cast<long>(t.Milliseconds % 1000) * 1000000L + extraNanoseconds % 1000000;
  return ts;
}

LocalTimeRecord LinuxPcClock::GetLocalTime() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return RealtimeToLocalRecord(ts, zoneSeconds_.load());
}

bool LinuxPcClock::SetLocalTime(const LocalTimeRecord& t, uint32_t extraNanoseconds) {
  const std::optional<timespec> ts = LocalRecordToRealtime(t, extraNanoseconds, zoneSeconds_.load());
  return ts && clock_settime(CLOCK_REALTIME, &*ts) == 0;
}

double LinuxPcClock::ReadNtpSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  constexpr double kNtpToUnix = 2208988800.0;
  return kNtpToUnix + static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

int AdjustRealtimeClock(timex& tx) { return clock_adjtime(CLOCK_REALTIME, &tx); }

bool LinuxPcClock::SetFrequencyPpm(double ppm) {
  if (!std::isfinite(ppm)) return false;
  timex tx{};
  tx.modes = ADJ_FREQUENCY;
  // The kernel takes ppm with a 16-bit binary fraction.
  tx.freq = std::lround(std::clamp(ppm, -kMaxFrequencyPpm, kMaxFrequencyPpm) * 65536.0);
  return adjust_(tx) != -1;
}

bool LinuxPcClock::Slew(double seconds) {
  if (!std::isfinite(seconds)) return false;
  timex tx{};
  // Alone: the kernel takes no other mode with the single-shot offset, in
  // microseconds.
  tx.modes = ADJ_OFFSET_SINGLESHOT;
  tx.offset = std::lround(std::clamp(seconds, -kMaxSlewSeconds, kMaxSlewSeconds) * 1e6);
  return adjust_(tx) != -1;
}

#include "common/time_arithmetic.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// 1900-01-01 is 25567 days before 1970-01-01.
constexpr int64_t kDays1900To1970 = 25567;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int MonthLength(int year, int month) {
  static constexpr int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  return month == 2 && IsLeapYear(year) ? 29 : kLengths[month - 1];
}

int64_t DayNumber(int year, int month, int day) {
  // Out-of-range months count from the year's start, as a month overflow
  // would; day 0 and day "length + 1" fall out of the arithmetic naturally.
  // All in 64 bits, so no field value can overflow.
  const int64_t months = int64_t{month} - 1;
  const int64_t y = int64_t{year} + FloorDiv(months, 12);
  const int m = static_cast<int>(months - FloorDiv(months, 12) * 12) + 1;
  return DaysFromCivil(y, m, 1) + (int64_t{day} - 1) + kDays1900To1970;
}

bool ValidReceiverDate(int year, int month, int day) {
  return year >= kFirstValidYear && year <= kLastValidYear && month >= 1 && month <= 12 &&
         day >= 1 && day <= MonthLength(year, month);
}

void AddDays(int& year, int& month, int& day, int days) {
  int64_t y;
  CivilFromDays(DayNumber(year, month, day) - kDays1900To1970 + days, y, month, day);
  year = static_cast<int>(y);
}

ReceiverDate TrueReceiverDate(int year, int month, int day) {
  ReceiverDate r{year, month, day, 0, false};
  if (year < kFirstValidYear || year > kLastValidYear || month < 1 || month > 12 || day < 1 ||
      day > MonthLength(year, month)) {
    return r;
  }
  const int64_t floor = DayNumber(kDateFloorYear, kDateFloorMonth, kDateFloorDay);
  int64_t days = DayNumber(year, month, day);
  for (; days < floor; days += kRolloverDays) ++r.rollovers;
  int64_t y;
  CivilFromDays(days - kDays1900To1970, y, r.month, r.day);
  r.year = static_cast<int>(y);
  r.known = days < floor + kRolloverDays;
  return r;
}

double NearestWithTimeOfDay(double nearNtpSeconds, int64_t timeOfDaySeconds) {
  // Whole days from the time of day to the nearest such instant; also for a
  // time of day outside one day (carried, or garbled).
  const double timeOfDay = static_cast<double>(timeOfDaySeconds);
  const double days = std::nearbyint((nearNtpSeconds - timeOfDay) / kSecondsPerDay);
  return timeOfDay + days * kSecondsPerDay;
}

double NearestDayTime(double pcNtpSeconds, int localHour, int minute, int second,
                      int timeZoneHours) {
  // The receiver's time of day (UTC) on the day that puts it nearest the
  // PC's time: right also when local midnight lies between the two.
  const int64_t utcTimeOfDay =
      int64_t{localHour} * 3600 + int64_t{minute} * 60 + second - int64_t{timeZoneHours} * 3600;
  return NearestWithTimeOfDay(pcNtpSeconds, utcTimeOfDay);
}

double ReceiverTimeToNtpSeconds(int utcYear, int utcMonth, int utcDay, int utcHour, int minute,
                                int second) {
  const int64_t s = DayNumber(utcYear, utcMonth, utcDay) * kSecondsPerDay +
                    int64_t{utcHour} * 3600 + int64_t{minute} * 60 + second;
  return static_cast<double>(s);
}

double LocalTimeToNtpSeconds(const LocalTimeRecord& t, int timeZoneHours) {
  const double whole = ReceiverTimeToNtpSeconds(t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second);
  return whole - timeZoneHours * 3600.0 + t.Milliseconds * 0.001;
}

namespace {
// Microseconds of a time, rounded to the nearest microsecond: a double near
// 4e9 s carries about half a microsecond, and rounding keeps a value such as
// x + 0.21 from reading as 209 ms.
// Times beyond any calendar the program shows (a garbled input) read as 0.
int64_t RoundedMicros(double seconds) {
  if (!(std::fabs(seconds) < 1e12)) return 0;
  return std::llround(seconds * 1e6);
}
}  // namespace

LocalTimeRecord NtpSecondsToLocalTime(double ntpSeconds, int timeZoneHours) {
  const int64_t us = RoundedMicros(ntpSeconds + timeZoneHours * 3600.0);
  const int64_t s = FloorDiv(us, 1000000);
  const int64_t subUs = us - s * 1000000;
  const int64_t days = FloorDiv(s, kSecondsPerDay);
  const int64_t r = s - days * kSecondsPerDay;

  LocalTimeRecord t;
  int64_t y;
  int m, d;
  CivilFromDays(days - kDays1900To1970, y, m, d);
  t.Year = static_cast<uint16_t>(y);
  t.Month = static_cast<uint16_t>(m);
  t.Day = static_cast<uint16_t>(d);
  // 1900-01-01 was a Monday.
  t.DayOfWeek = static_cast<uint16_t>(((days + 1) % 7 + 7) % 7);
  t.Hour = static_cast<uint16_t>(r / 3600);
  t.Minute = static_cast<uint16_t>((r / 60) % 60);
  t.Second = static_cast<uint16_t>(r % 60);
  t.Milliseconds = static_cast<uint16_t>(subUs / 1000);
  return t;
}

uint32_t SubMillisecondNanos(double ntpSeconds) {
  const int64_t us = RoundedMicros(ntpSeconds);
  const int64_t subMs = us - FloorDiv(us, 1000) * 1000;
  return static_cast<uint32_t>(subMs * 1000);
}

void NtpTimestampEncode(double ntpSeconds, uint8_t out[8]) {
  const double whole = std::floor(ntpSeconds);
  const auto s = static_cast<uint32_t>(static_cast<int64_t>(whole) & 0xFFFFFFFF);
  const auto f = static_cast<uint32_t>((ntpSeconds - whole) * 4294967296.0);
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<uint8_t>(s >> (24 - 8 * i));
    out[4 + i] = static_cast<uint8_t>(f >> (24 - 8 * i));
  }
}

double NtpTimestampDecode(const uint8_t in[8], double pivotNtpSeconds) {
  uint32_t s = 0, f = 0;
  for (int i = 0; i < 4; ++i) {
    s = (s << 8) | in[i];
    f = (f << 8) | in[4 + i];
  }
  // The era is chosen so the result lies within 68 years of the pivot.
  const auto pivot = static_cast<int64_t>(std::floor(pivotNtpSeconds));
  const auto delta = static_cast<int32_t>(s - static_cast<uint32_t>(pivot & 0xFFFFFFFF));
  const int64_t whole = pivot + delta;
  return static_cast<double>(whole) + f * (1.0 / 4294967296.0);
}

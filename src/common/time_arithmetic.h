#pragma once
#include <cstdint>

#include "platform/local_time.h"

// The program's one time scale: seconds since 1900-01-01 00:00 UTC in a
// double ("NTP seconds"). Whole seconds are computed in 64 bits, so the
// arithmetic stays right past 2036-02-07 06:28:16 UTC, where the 32-bit NTP
// seconds wrap; only the 8-byte timestamp carries the low 32 bits, as NTP does.

bool IsLeapYear(int year);
int MonthLength(int year, int month);  // month 1..12

// Days from 1900-01-01 to the date; the day may be 0 or one past the month's
// end (a day carried by the second correction) and then names the day before
// or after.
int64_t DayNumber(int year, int month, int day);

// The dates the program accepts from a receiver before it may set the clock.
constexpr int kFirstValidYear = 1980;
constexpr int kLastValidYear = 2099;
bool ValidReceiverDate(int year, int month, int day);

// Moves a valid date by whole days, across month and year ends.
void AddDays(int& year, int& month, int& day, int days);

// The earliest date this release can run at. GPS counts weeks modulo 1024,
// and a receiver that has lived past the end of its week count reports dates
// 1024 weeks (19.6 years) early: a date before this one is such a date. A
// true date also lies less than one 1024-week period after it. Moved forward
// with each release (the program's own dates are never older).
constexpr int kDateFloorYear = 2025;
constexpr int kDateFloorMonth = 1;
constexpr int kDateFloorDay = 1;
constexpr int kRolloverDays = 1024 * 7;

// A receiver's date read against the floor: moved forward by whole 1024-week
// periods while it lies before the floor (`rollovers` counts them); `known`
// when the result can be a true date (a calendar date, before the floor plus
// one period). Two-digit years are 2000 + yy before this.
struct ReceiverDate {
  int year = 0, month = 0, day = 0;
  int rollovers = 0;
  bool known = false;
};
ReceiverDate TrueReceiverDate(int year, int month, int day);

// The instant nearest `nearNtpSeconds` whose UTC time of day is
// `timeOfDaySeconds` (which may be 86400 for a leap second, or outside a day
// as a carried time is).
double NearestWithTimeOfDay(double nearNtpSeconds, int64_t timeOfDaySeconds);

// NTP seconds (UTC) of a local time of day on the PC's local date or on the
// day before or after it, whichever lies nearest the PC's time: how a time
// of day without a date is placed, right across local midnight.
double NearestDayTime(double pcNtpSeconds, int localHour, int minute, int second,
                      int timeZoneHours);

// Whole NTP seconds of a UTC date and time of day.
double ReceiverTimeToNtpSeconds(int utcYear, int utcMonth, int utcDay, int utcHour,
                                int minute, int second);

// NTP seconds (UTC) of a local time record, milliseconds included.
double LocalTimeToNtpSeconds(const LocalTimeRecord& t, int timeZoneHours);

// Local time record of NTP seconds (UTC). Milliseconds are truncated.
LocalTimeRecord NtpSecondsToLocalTime(double ntpSeconds, int timeZoneHours);

// Sub-millisecond part of the local time that NtpSecondsToLocalTime truncated,
// in nanoseconds (0..999999), for setting the clock with full precision.
uint32_t SubMillisecondNanos(double ntpSeconds);

// The 8-byte big-endian 32.32 NTP timestamp.
void NtpTimestampEncode(double ntpSeconds, uint8_t out[8]);
// Reads a timestamp into the 136-year era nearest to pivotNtpSeconds
// (normally the PC's current time).
double NtpTimestampDecode(const uint8_t in[8], double pivotNtpSeconds);

#include "common/time_arithmetic.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

LocalTimeRecord Rec(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
  LocalTimeRecord t;
  t.Year = y; t.Month = mo; t.Day = d; t.Hour = h; t.Minute = mi; t.Second = s; t.Milliseconds = ms;
  return t;
}

TEST(TimeArithmetic, KnownInstants) {
  EXPECT_EQ(ReceiverTimeToNtpSeconds(2000, 1, 1, 0, 0, 0), 3155673600.0);
  EXPECT_EQ(LocalTimeToNtpSeconds(Rec(2005, 6, 15, 12, 0, 0), 9), 3327793200.0);
  EXPECT_DOUBLE_EQ(LocalTimeToNtpSeconds(Rec(2005, 6, 15, 12, 0, 0, 250), 9), 3327793200.25);

  const LocalTimeRecord t = NtpSecondsToLocalTime(3327793200.0, 9);
  EXPECT_EQ(t, [] { auto r = Rec(2005, 6, 15, 12, 0, 0); r.DayOfWeek = 3; return r; }());
}

TEST(TimeArithmetic, ReceiverDayZeroAndOnePastMonthEnd) {
  // Day 0 of March is the last day of February; day 32 of January is Feb 1.
  EXPECT_EQ(ReceiverTimeToNtpSeconds(2004, 3, 0, 23, 59, 59), ReceiverTimeToNtpSeconds(2004, 2, 29, 23, 59, 59));
  EXPECT_EQ(ReceiverTimeToNtpSeconds(2005, 1, 32, 0, 0, 0), ReceiverTimeToNtpSeconds(2005, 2, 1, 0, 0, 0));
  EXPECT_EQ(ReceiverTimeToNtpSeconds(2005, 1, 0, 0, 0, 0), ReceiverTimeToNtpSeconds(2004, 12, 31, 0, 0, 0));
}

// Garbled fields reach the arithmetic clamped to the int limits; it must stay
// defined for every one of them.
TEST(TimeArithmetic, ExtremeFieldsStayDefined) {
  const int extremes[] = {INT_MIN, -1, 0, 1, 13, INT_MAX};
  for (int y : extremes) {
    for (int m : extremes) {
      for (int d : extremes) {
        const double t = ReceiverTimeToNtpSeconds(y, m, d, INT_MAX, INT_MIN, INT_MAX);
        (void)NtpSecondsToLocalTime(t, 13);
        (void)SubMillisecondNanos(t);
        EXPECT_FALSE(ValidReceiverDate(y, m, d));
      }
    }
  }
}

TEST(TimeArithmetic, DaysAcrossMonthAndYearEnds) {
  const struct { int y, m, d, add, ey, em, ed; } cases[] = {
      {2024, 12, 31, 1, 2025, 1, 1},  {2025, 1, 1, -1, 2024, 12, 31}, {2024, 2, 28, 1, 2024, 2, 29},
      {2025, 2, 28, 1, 2025, 3, 1},   {2024, 3, 1, -1, 2024, 2, 29},  {2025, 6, 30, 1, 2025, 7, 1},
  };
  for (const auto& c : cases) {
    int y = c.y, m = c.m, d = c.d;
    AddDays(y, m, d, c.add);
    EXPECT_EQ(y * 10000 + m * 100 + d, c.ey * 10000 + c.em * 100 + c.ed) << c.y << "-" << c.m << "-" << c.d;
  }
}

TEST(TimeArithmetic, TimestampBytes) {
  uint8_t b[8];
  NtpTimestampEncode(3155673600.5, b);
  const uint8_t expected[8] = {0xBC, 0x17, 0xC2, 0x00, 0x80, 0x00, 0x00, 0x00};
  EXPECT_EQ(0, memcmp(b, expected, 8));
  EXPECT_DOUBLE_EQ(NtpTimestampDecode(b, 3155673600.0), 3155673600.5);
}

TEST(TimeArithmetic, AfterTheYear2036) {
  // 2036-02-07 06:28:16 UTC is 2^32 NTP seconds: the arithmetic carries on.
  const double wrap = ReceiverTimeToNtpSeconds(2036, 2, 7, 6, 28, 16);
  EXPECT_EQ(wrap, 4294967296.0);
  const double later = ReceiverTimeToNtpSeconds(2040, 7, 1, 12, 34, 56);
  EXPECT_EQ(NtpSecondsToLocalTime(later, 9), [] {
    auto r = Rec(2040, 7, 1, 21, 34, 56); r.DayOfWeek = 0; return r; }());  // a Sunday
  EXPECT_EQ(LocalTimeToNtpSeconds(Rec(2040, 7, 1, 21, 34, 56, 500), 9), later + 0.5);

  // The timestamp carries the low 32 bits; it is read back into the era of the pivot.
  uint8_t b[8];
  NtpTimestampEncode(later + 0.25, b);
  EXPECT_EQ(b[0], static_cast<uint8_t>((static_cast<uint64_t>(later) >> 24) & 0xFF));
  EXPECT_DOUBLE_EQ(NtpTimestampDecode(b, later - 100000), later + 0.25);
  // Just before the wrap, a timestamp from just after it still lands after it.
  NtpTimestampEncode(wrap + 5, b);
  EXPECT_DOUBLE_EQ(NtpTimestampDecode(b, wrap - 5), wrap + 5);
  NtpTimestampEncode(wrap - 5, b);
  EXPECT_DOUBLE_EQ(NtpTimestampDecode(b, wrap + 5), wrap - 5);
}

TEST(TimeArithmetic, RoundTripAcrossDatesAndZones) {
  struct Case { int y, mo, d, h, mi, s, tz; } cases[] = {
      {2000, 1, 1, 0, 0, 0, 9},   {2000, 2, 29, 23, 59, 59, 0}, {2024, 12, 31, 23, 59, 59, -5},
      {2036, 2, 7, 6, 28, 15, 13}, {2036, 2, 7, 6, 28, 16, -13}, {2100, 3, 1, 0, 0, 0, 9}};
  for (const auto& c : cases) {
    const LocalTimeRecord in = Rec(c.y, c.mo, c.d, c.h, c.mi, c.s, 123);
    LocalTimeRecord out = NtpSecondsToLocalTime(LocalTimeToNtpSeconds(in, c.tz), c.tz);
    out.DayOfWeek = 0;
    EXPECT_EQ(out, in) << c.y << "-" << c.mo << "-" << c.d;
  }
}

TEST(TimeArithmetic, MillisecondsAreNotLostToRounding) {
  // 210 ms after a second must read as 210, not 209.
  const double t = 3327793200.0 + 0.2 + 0.01;
  EXPECT_EQ(NtpSecondsToLocalTime(t, 9).Milliseconds, 210);
  EXPECT_EQ(SubMillisecondNanos(3327793200.0 + 0.0123456), 346000u);  // to the microsecond
}

}  // namespace

#include "platform/linux/linux_pc_clock.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

// System zones the clock must ignore. Between them, one is always on summer
// time, whatever the date the tests run on.
const char* const kSystemZones[] = {"UTC", "Europe/Berlin", "America/New_York",
                                    "Australia/Sydney"};

// The process's TZ for one scope; the previous value comes back afterwards.
class SystemZone {
 public:
  explicit SystemZone(const char* zone) {
    if (const char* old = getenv("TZ")) previous_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~SystemZone() {
    if (previous_) {
      setenv("TZ", previous_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  SystemZone(const SystemZone&) = delete;
  SystemZone& operator=(const SystemZone&) = delete;

 private:
  std::optional<std::string> previous_;
};

long SystemOffsetAt(time_t t) {
  tm local{};
  localtime_r(&t, &local);
  return local.tm_gmtoff;
}

// A zone without its data would quietly act as UTC and prove nothing: check
// that the zone is loaded, with its summer time.
void ExpectZoneInEffect(const std::string& zone) {
  if (zone == "UTC") return;
  const time_t january = 1704067200;  // 2024-01-01 00:00 UTC
  const time_t july = 1721014496;     // 2024-07-15 03:34:56 UTC
  EXPECT_NE(SystemOffsetAt(january), SystemOffsetAt(july)) << zone << ": is tzdata installed?";
}

// CLOCK_REALTIME in the program's zone, converted by hand.
LocalTimeRecord ByHand(const timespec& ts, int hours) {
  const time_t shifted = ts.tv_sec + hours * 3600;
  tm u{};
  gmtime_r(&shifted, &u);
  return {static_cast<uint16_t>(u.tm_year + 1900), static_cast<uint16_t>(u.tm_mon + 1),
          static_cast<uint16_t>(u.tm_wday),        static_cast<uint16_t>(u.tm_mday),
          static_cast<uint16_t>(u.tm_hour),        static_cast<uint16_t>(u.tm_min),
          static_cast<uint16_t>(u.tm_sec),         static_cast<uint16_t>(ts.tv_nsec / 1000000)};
}

auto Key(const LocalTimeRecord& r) {
  return std::make_tuple(r.Year, r.Month, r.Day, r.Hour, r.Minute, r.Second, r.Milliseconds);
}

LocalTimeRecord WholeSecond(LocalTimeRecord r) {
  r.Milliseconds = 0;
  return r;
}

TEST(LinuxPcClock, ReadsUtcPlusTheProgramsZoneWhateverTheSystemZone) {
  LinuxPcClock clock;
  for (const char* zone : kSystemZones) {
    SystemZone systemZone(zone);
    ExpectZoneInEffect(zone);
    for (const int hours : {9, 0, -5, 14, -12}) {
      SCOPED_TRACE(testing::Message() << "TZ=" << zone << " zone " << hours);
      clock.UseTimeZone(hours);
      timespec before{}, after{};
      clock_gettime(CLOCK_REALTIME, &before);
      const LocalTimeRecord got = clock.GetLocalTime();
      clock_gettime(CLOCK_REALTIME, &after);
      // The reads may straddle a second: the record lies between the two.
      const LocalTimeRecord early = ByHand(before, hours);
      const LocalTimeRecord late = ByHand(after, hours);
      EXPECT_TRUE(WholeSecond(got) == WholeSecond(early) || WholeSecond(got) == WholeSecond(late));
      EXPECT_LE(Key(early), Key(got));
      EXPECT_LE(Key(got), Key(late));
    }
  }
}

TEST(LinuxPcClock, ARecordInTheProgramsZoneNamesOneInstantWhateverTheSystemZone) {
  struct Case {
    const char* what;
    LocalTimeRecord local;
    uint32_t extraNanoseconds;
    int hours;
    time_t sec;
    long nsec;
  };
  const Case cases[] = {
      {"summer, milliseconds and extra nanoseconds", {2024, 7, 1, 15, 12, 34, 56, 789}, 123456,
       9, 1721014496, 789123456},
      {"local midnight is the previous UTC day 15:00", {2024, 3, 5, 1, 0, 0, 0, 0}, 0, 9,
       1709218800, 0},  // 2024-02-29 15:00 UTC
      {"zone 0 is UTC", {2024, 7, 1, 15, 3, 34, 56, 0}, 0, 0, 1721014496, 0},
      {"west of UTC, into the next UTC year", {2024, 12, 2, 31, 22, 0, 0, 0}, 0, -5, 1735700400,
       0},
      {"the hour Berlin skips in spring", {2024, 3, 0, 31, 2, 30, 0, 0}, 0, 1, 1711848600, 0},
      {"the hour Berlin has twice in autumn", {2024, 10, 0, 27, 2, 30, 0, 0}, 0, 2, 1729989000,
       0},
      {"the last nanosecond of a second", {2000, 2, 2, 29, 23, 59, 59, 999}, 999999, 0, 951868799,
       999999999},
  };
  for (const char* zone : kSystemZones) {
    SystemZone systemZone(zone);
    ExpectZoneInEffect(zone);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "TZ=" << zone << ": " << c.what);
      const std::optional<timespec> ts = LocalRecordToRealtime(c.local, c.extraNanoseconds,
                                                               c.hours * 3600L);
      ASSERT_TRUE(ts.has_value());
      EXPECT_EQ(ts->tv_sec, c.sec);
      EXPECT_EQ(ts->tv_nsec, c.nsec);
      // Read back at that instant, the clock shows the record, weekday included.
      EXPECT_EQ(RealtimeToLocalRecord(*ts, c.hours * 3600L), c.local);
    }
  }
}

// The adjustment calls as the kernel would get them; the host clock is never
// adjusted. `refuse`: as without CAP_SYS_TIME.
struct RecordedCalls {
  std::vector<timex> calls;
  bool refuse = false;
  ClockAdjustCall Call() {
    return [this](timex& tx) {
      calls.push_back(tx);
      if (refuse) {
        errno = EPERM;
        return -1;
      }
      return 0;  // TIME_OK
    };
  }
};

TEST(LinuxPcClock, FrequencyAndSlewBecomeTheKernelsAdjustments) {
  RecordedCalls kernel;
  LinuxPcClock clock(kernel.Call());
  struct Case {
    const char* what;
    bool frequency;
    double value;
    unsigned modes;
    long field;  // freq (ppm with a 16-bit fraction) or offset (us)
  };
  const Case cases[] = {
      {"-40.5 ppm", true, -40.5, ADJ_FREQUENCY, -40 * 65536 - 32768},
      {"bounded at +500 ppm", true, 900, ADJ_FREQUENCY, 500 * 65536},
      {"bounded at -500 ppm", true, -1e9, ADJ_FREQUENCY, -500 * 65536},
      {"a slew of -123 us", false, -123e-6, ADJ_OFFSET_SINGLESHOT, -123},
      {"a slew bounded at 0.5 s", false, 3.0, ADJ_OFFSET_SINGLESHOT, 500000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kernel.calls.clear();
    EXPECT_TRUE(c.frequency ? clock.SetFrequencyPpm(c.value) : clock.Slew(c.value));
    ASSERT_EQ(kernel.calls.size(), 1u);
    EXPECT_EQ(static_cast<unsigned>(kernel.calls[0].modes), c.modes);
    EXPECT_EQ(c.frequency ? kernel.calls[0].freq : kernel.calls[0].offset, c.field);
  }
  // A value that is no number never reaches the kernel.
  kernel.calls.clear();
  EXPECT_FALSE(clock.SetFrequencyPpm(std::nan("")));
  EXPECT_FALSE(clock.Slew(INFINITY));
  EXPECT_TRUE(kernel.calls.empty());
}

TEST(LinuxPcClock, WithoutTheRightBothAdjustmentsFail) {
  RecordedCalls kernel;
  kernel.refuse = true;
  LinuxPcClock clock(kernel.Call());
  EXPECT_FALSE(clock.SetFrequencyPpm(-40));
  EXPECT_FALSE(clock.Slew(20e-6));
  EXPECT_EQ(kernel.calls.size(), 2u);
}

TEST(LinuxPcClock, CannotSetTheClockInTests) {
  // The test process has given up the right: setting is refused and reported.
  LinuxPcClock clock;
  EXPECT_FALSE(clock.SetLocalTime(clock.GetLocalTime()));
}

}  // namespace

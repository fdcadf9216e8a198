#include "timekeeping/error_history.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "timekeeping/error_graph_model.h"

namespace {

constexpr double kStart = 3'976'000'000;

ClockMeasurementPoint At(double pcTime, double error = 0, ClockSource source = ClockSource::kPps) {
  ClockMeasurementPoint p;
  p.pcTime = pcTime;
  p.error = error;
  p.uncertainty = 1e-5;
  p.source = source;
  return p;
}

// The history keeps the last hour, a point a second at most, in time order.
TEST(ErrorHistory, KeepsTheLastHourBoundedAndInOrder) {
  const struct { const char* what; double every; int count; size_t kept; double oldest; } cases[] = {
      {"two hours, a point a second", 1, 7200, ErrorHistory::kMaxPoints, 3600},
      {"ten points a second", 0.1, 5000, ErrorHistory::kMaxPoints, 140},
      {"a point a minute", 60, 200, 61, 199 * 60 - 3600},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ErrorHistory h;
    for (int i = 0; i < c.count; ++i) h.Add(At(kStart + i * c.every));
    EXPECT_EQ(h.Points().size(), c.kept);
    EXPECT_NEAR(h.Points().front().pcTime - kStart, c.oldest, 1e-3);
    EXPECT_EQ(h.Revision(), static_cast<uint64_t>(c.count));
  }
}

TEST(ErrorHistory, AClockSteppedBackDropsTheLaterPointsAndBadNumbersAreIgnored) {
  ErrorHistory h;
  for (int i = 0; i < 10; ++i) h.Add(At(kStart + i));
  h.Add(At(kStart + 6.5, 0.001));  // the clock went back 2.5 s
  ASSERT_EQ(h.Points().size(), 8u);
  EXPECT_DOUBLE_EQ(h.Points().back().pcTime, kStart + 6.5);

  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  ClockMeasurementPoint bad[4] = {At(nan), At(kStart + 7, inf), At(kStart + 7), At(kStart + 7)};
  bad[2].uncertainty = nan;
  bad[3].frequencyPpm = -inf;
  for (const auto& p : bad) h.Add(p);
  EXPECT_EQ(h.Points().size(), 8u);
  EXPECT_EQ(h.Revision(), 11u);
}

// The error's unit follows the newest measurement's source; the time axis is
// minutes before it; a step is marked at the error it corrected.
TEST(ErrorGraphModel, SeriesInTheUnitOfTheNewestSource) {
  const struct { ClockSource newest; const char* title; double scale; } cases[] = {
      {ClockSource::kPps, "PC誤差 (ﾏｲｸﾛ秒)", 1e6},
      {ClockSource::kSentences, "PC誤差 (ﾐﾘ秒)", 1e3},
      {ClockSource::kServer, "PC誤差 (ﾐﾘ秒)", 1e3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    ErrorHistory h;
    ErrorGraphModel model;
    EXPECT_FALSE(model.Update(h));
    h.Add(At(kStart, 0.040, ClockSource::kSentences));
    ClockMeasurementPoint stepped = At(kStart + 60, -0.5, ClockSource::kSentences);
    stepped.stepped = true;
    stepped.frequencyPpm = 12.5;
    h.Add(stepped);
    h.Add(At(kStart + 120, 20e-6, c.newest));
    ASSERT_TRUE(model.Update(h));
    EXPECT_FALSE(model.Update(h));  // nothing new
    EXPECT_EQ(model.ErrorAxisTitle, c.title);
    EXPECT_EQ(model.FrequencyAxisTitle, "周波数補正 (ppm)");
    ASSERT_EQ(model.ErrorSeries.size(), 3u);
    const double minutes[] = {-2, -1, 0}, errors[] = {0.040, -0.5, 20e-6};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_DOUBLE_EQ(model.ErrorSeries[i].minutes, minutes[i]);
      EXPECT_NEAR(model.ErrorSeries[i].value, errors[i] * c.scale, 1e-9);
      EXPECT_DOUBLE_EQ(model.FrequencySeries[i].minutes, minutes[i]);
    }
    EXPECT_DOUBLE_EQ(model.FrequencySeries[1].value, 12.5);
    ASSERT_EQ(model.StepMarks.size(), 1u);
    EXPECT_DOUBLE_EQ(model.StepMarks[0].minutes, -1);
    EXPECT_NEAR(model.StepMarks[0].value, -0.5 * c.scale, 1e-9);
    EXPECT_LT(model.ErrorMin, -0.5 * c.scale);
    EXPECT_GT(model.ErrorMax, 0.040 * c.scale);
    EXPECT_LE(model.FrequencyMin, 0);
    EXPECT_GE(model.FrequencyMax, 12.5);
  }
}

}  // namespace

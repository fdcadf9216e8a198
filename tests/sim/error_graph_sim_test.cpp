#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "sim/sim_world.h"
#include "timekeeping/error_graph_model.h"

namespace {

// A PC clock 2 s slow and 40 ppm fast, with and without 1PPS: the graph holds
// a point a second in the unit of the source and a mark for each step; the
// first step's error, seconds long, is left out of the axis once there are
// many more points; after more than an hour only the last hour is held.
TEST(ErrorGraphSim, TheGraphHoldsTheMeasurementsOfARun) {
  const struct { bool pps; const char* title; double scale; double precision; } cases[] = {
      // The PC clock read at an edge is whole milliseconds.
      {true, "PC誤差 (ﾏｲｸﾛ秒)", 1e6, 1.1e-3},
      {false, "PC誤差 (ﾐﾘ秒)", 1e3, 0.15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    SimOptions o;
    o.pps = c.pps;
    o.pcOffset = -2.0;
    o.pcDrift = 40e-6;
    o.handOverLatency = 0.001;
    SimWorld w(o);
    if (!c.pps) w.app.settings.dSSS = 9;
    w.Connect();
    w.RunFor(60);
    ErrorGraphModel model;
    ASSERT_TRUE(model.Update(w.app.errorHistory));
    EXPECT_EQ(model.ErrorAxisTitle, c.title);
    ASSERT_EQ(w.steps.size(), 1u);
    ASSERT_EQ(model.StepMarks.size(), 1u);
    EXPECT_NEAR(model.StepMarks[0].value, -2.0 * c.scale, c.precision * c.scale);
    EXPECT_LE(model.ErrorMin, model.StepMarks[0].value);

    w.RunFor(1740);
    ASSERT_TRUE(model.Update(w.app.errorHistory));
    const auto& errors = model.ErrorSeries;
    EXPECT_GT(errors.size(), 1750u);
    EXPECT_LE(errors.size(), 1800u);
    ASSERT_EQ(model.FrequencySeries.size(), errors.size());
    EXPECT_GE(errors.front().minutes, -30);
    EXPECT_EQ(errors.back().minutes, 0);
    for (size_t i = 1; i < errors.size(); ++i) {
      ASSERT_GT(errors[i].minutes, errors[i - 1].minutes) << i;
      // A point a second, but for the few seconds around the first step.
      if (errors[i].minutes > -29) {
        ASSERT_LT(errors[i].minutes - errors[i - 1].minutes, 1.5 / 60) << i;
      }
    }
    // The newest point is the clock's error then, as the world knows it (a
    // second's drift later).
    EXPECT_NEAR(errors.back().value, w.PcError() * c.scale, c.precision * c.scale);
    EXPECT_EQ(model.FrequencySeries.back().value, w.app.discipline.State().frequencyPpm);

    // Every step marked: the first at the axis's edge, the others beyond the
    // step threshold or at an edge.
    ASSERT_EQ(model.StepMarks.size(), w.steps.size());
    EXPECT_GT(model.ErrorMin, -0.2 * c.scale);
    EXPECT_EQ(model.StepMarks[0].value, model.ErrorMin);
    for (const GraphPoint& mark : model.StepMarks) {
      EXPECT_TRUE(std::abs(mark.value) > 0.030 * c.scale || mark.value == model.ErrorMin ||
                  mark.value == model.ErrorMax)
          << mark.minutes << " " << mark.value;
    }

    w.RunFor(2100);
    ASSERT_TRUE(model.Update(w.app.errorHistory));
    EXPECT_LE(model.ErrorSeries.size(), ErrorHistory::kMaxPoints);
    EXPECT_GT(model.ErrorSeries.size(), 3500u);
    EXPECT_GE(model.ErrorSeries.front().minutes, -ErrorGraphModel::kSpanMinutes);
    // The first step is more than an hour ago.
    EXPECT_LT(model.StepMarks.size(), w.steps.size());
  }
}

}  // namespace

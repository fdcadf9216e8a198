#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <string>

#include "sim/sim_world.h"

namespace {

// Receivers give pulses from microseconds to half a second wide, and a level
// shifter may invert them. Whatever the width, the polarity, the line speed
// and where the 100 ms ticks fall, the clock ends on the pulse's leading
// edge: each pulse is timed once, by the edge that starts it.
TEST(PulseEdgesSim, TheClockEndsOnTheLeadingEdgeForEveryPulseShape) {
  const double widths[] = {25e-6, 1e-3, 0.1, 0.2, 0.5};
  const int bauds[] = {4800, 9600, 19200, 38400};
  const double tickPhases[] = {0.005, 0.037, 0.062, 0.091};
  const ReceiverModel models[] = {ReceiverModel::JupiterNmea, ReceiverModel::JupiterBinary};
  int failed = 0, rows = 0;
  for (ReceiverModel model : models) {
    for (double width : widths) {
      for (bool asserted : {true, false}) {
        for (int baud : bauds) {
          for (double tickPhase : tickPhases) {
            SimOptions o;
            o.model = model;
            o.pulseWidth = width;
            o.pulseAsserted = asserted;
            o.baud = baud;
            o.tickPhase = tickPhase;
            o.pcOffset = (rows % 2 == 0 ? 1 : -1) * (0.2 + 0.1 * (rows % 5));
            o.edgeWakeLatency = 30e-6;  // the worker reads after the pulse of 25 us is over
            o.edgeWakeJitter = 40e-6;
            o.edgeAwakeTime = 15e-6;
            o.seed = static_cast<unsigned>(rows + 1);
            ++rows;
            SimWorld w(o);
            w.Connect();
            w.RunFor(40);
            const double error = w.PcError();
            const bool ok = std::abs(error) < 0.001 && !w.steps.empty();
            if (!ok) ++failed;
            EXPECT_TRUE(ok) << "model " << static_cast<int>(model) << ", " << width * 1000
                            << " ms " << (asserted ? "asserted" : "deasserted") << ", " << baud
                            << " Bd, ticks at +" << tickPhase << " s: PC error " << error
                            << " s after " << w.steps.size() << " steps";
          }
        }
      }
    }
  }
  std::cout << "[ info ] " << rows - failed << " of " << rows << " rows end within 1 ms\n";
}

}  // namespace

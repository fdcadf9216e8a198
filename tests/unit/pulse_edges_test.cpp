#include "link/pulse_edges.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"

namespace {

// One wake-up of the edge worker, `at` seconds into the run: the level it
// read and the changes the driver counted (0: cannot count). burstAt: a
// burst of received bytes began at that time before this wake-up.
struct Wake {
  double at;
  bool asserted;
  uint32_t changes;
  std::optional<double> burstAt = std::nullopt;
};

struct Case {
  const char* what;
  std::vector<Wake> wakes;
  std::string leading;  // per wake-up: L = leading edge, _ = not
  std::optional<bool> pulseLevel;
};

// Counts in 10 MHz units from just before a wrap of the 32 bits.
constexpr uint32_t kStart = 0xFFF00000u;
uint32_t CountAt(double seconds) { return kStart + static_cast<uint32_t>(seconds * 1e7); }

TEST(PulseEdges, OneLeadingEdgePerPulseOnceThePolarityIsKnown) {
  const Case cases[] = {
      {"count-less driver, 100 ms pulses of an inverting shifter",
       {{0.0, false, 0}, {0.1, true, 0}, {1.0, false, 0}, {1.1, true, 0}, {2.0, false, 0}},
       "__L_L", false},
      {"count-less driver, pulses over before the wake-up: the same level each time",
       {{0.0, false, 0}, {1.0, false, 0}, {2.0, false, 0}},
       "_LL", std::nullopt},
      {"counted: both changes of the pulse before the wake-up",
       {{0.0, false, 2}, {1.0, false, 2}, {2.0, true, 2}},
       "LLL", std::nullopt},
      {"a trailing edge while the worker was awake: the next wake-up holds it and the leading one",
       {{0.0, true, 1}, {0.1, false, 1}, {1.0, true, 1}, {2.0, true, 2}, {2.1, false, 1},
        {3.0, true, 1}},
       "__LL_L", true},
      {"a state just after a whole pulse is measured from its wake-up",
       {{0.0, false, 2}, {1.0, true, 1}, {1.001, false, 1}, {2.0, true, 1}},
       "L__L", true},
      {"500 ms: the edge the sentences follow leads",
       {{0.0, false, 1}, {0.5, true, 1, 0.05}, {1.0, false, 1}, {1.5, true, 1, 1.05},
        {2.0, false, 1}, {2.5, true, 1, 2.05}},
       "__L_L_", false},
      {"500 ms with a time mark in the gap too: the burst sooner after its edge counts",
       {{0.0, true, 1}, {0.5, false, 1, 0.05}, {1.0, true, 1, 0.6}, {1.5, false, 1, 1.05},
        {2.0, true, 1, 1.6}, {2.5, false, 1, 2.05}},
       "__L_L_", true},
      {"500 ms without sentences: no polarity, no edge",
       {{0.0, true, 1}, {0.5, false, 1}, {1.0, true, 1}, {1.5, false, 1}, {2.0, true, 1}},
       "_____", std::nullopt},
      // The dip's end counts as an edge; the interval window refuses it.
      {"one short dip inside the pulse does not turn the polarity",
       {{0.0, true, 1}, {0.1, false, 1}, {1.0, true, 1}, {1.05, false, 1}, {1.051, true, 1},
        {1.1, false, 1}, {2.0, true, 1}},
       "__L_L_L", true},
      {"after a second without a pulse the gap is too long to tell; the known polarity holds",
       {{0.0, true, 1}, {0.1, false, 1}, {1.0, true, 1}, {1.1, false, 1}, {3.0, true, 1},
        {3.1, false, 1}},
       "__L_L_", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform fake;
    CounterScale scale{fake.counter};
    PulseEdges edges{scale};
    std::optional<CounterCapture> burst;
    std::string got;
    for (const Wake& w : c.wakes) {
      if (w.burstAt) {
        burst.emplace();
        burst->counter = CountAt(*w.burstAt);
      }
      EdgeCapture e;
      e.counter = CountAt(w.at);
      e.dsrAsserted = w.asserted;
      e.dsrChanges = w.changes;
      got += edges.IsLeadingEdge(e, burst ? &*burst : nullptr) ? 'L' : '_';
    }
    EXPECT_EQ(got, c.leading);
    EXPECT_EQ(edges.PulseLevel(), c.pulseLevel);
  }
}

}  // namespace

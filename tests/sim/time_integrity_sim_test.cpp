// The PC clock kept from the sentences alone, in the simulated world: every
// receiver kind with a correct clock is left alone and shows it right, a
// clock disciplined by the 1PPS is not undone when the pulse stops, and what
// the LAN is told of the time does not change while its source does not.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "net/ntp_packet.h"
#include "sim/sim_world.h"

namespace {

// The PC error shown (10 ms units), read once a second.
struct ShownErrors {
  int samples = 0;
  int worst = 0;
  void RunAndRead(SimWorld& w, int seconds) {
    for (int i = 0; i < seconds; ++i) {
      w.RunFor(1);
      const std::string& shown = w.app.view.EditPcErr;
      if (shown.empty() || (shown[0] != '+' && shown[0] != '-')) continue;
      ++samples;
      worst = std::max(worst, std::abs(std::atoi(shown.c_str())));
    }
  }
};

const ReceiverModel kModels[] = {ReceiverModel::JupiterNmea, ReceiverModel::JupiterBinary,
                                 ReceiverModel::Gt77,        ReceiverModel::Cca370h,
                                 ReceiverModel::Garmin,      ReceiverModel::MultiGnss};

TEST(TimeIntegrity, EveryKindWithoutPpsLeavesACorrectClockAloneAndShowsItRight) {
  for (const ReceiverModel model : kModels) {
    for (const int baud : {4800, 38400}) {
      SCOPED_TRACE(::testing::Message() << static_cast<int>(model) << " at " << baud);
      SimOptions o;
      o.model = model;
      o.pps = false;
      o.baud = baud;
      SimWorld w(o);
      w.Connect();
      ShownErrors shown;
      shown.RunAndRead(w, 600);
      EXPECT_EQ(w.app.view.StatusBar.find("受信中"), 0u) << w.app.view.StatusBar;
      EXPECT_TRUE(w.steps.empty());
      EXPECT_GT(shown.samples, 590);
      EXPECT_LE(shown.worst, 3);
    }
  }
}

// With the 1PPS the sentence delay is learned; when the pulse stops, the
// sentences measure the disciplined clock as it is and leave it alone.
TEST(TimeIntegrity, WhenThePpsStopsTheSentencesDoNotUndoItsWork) {
  for (const ReceiverModel model : kModels) {
    SCOPED_TRACE(static_cast<int>(model));
    SimOptions o;
    o.model = model;
    o.pcOffset = 0.4;
    SimWorld w(o);
    const int64_t stop = static_cast<int64_t>(w.Now()) + 180;
    w.noPulse = [stop](int64_t s) { return s >= stop; };
    w.Connect();
    w.RunFor(170);
    ASSERT_FALSE(w.steps.empty());
    EXPECT_NEAR(w.PcError(), 0, 1e-4);
    const size_t steps = w.steps.size();
    ShownErrors shown;
    shown.RunAndRead(w, 600);
    EXPECT_EQ(w.CountLog("1PPS信号が途絶えました"), 1);
    EXPECT_EQ(w.steps.size(), steps);
    EXPECT_NEAR(w.PcError(), 0, 1e-4);
    EXPECT_LE(shown.worst, 2);
  }
}

int ServedStratum(SimWorld& w) {
  std::vector<uint8_t> request(48, 0);
  request[0] = 0x23;
  const size_t before = w.fake.udp.sent.size();
  w.app.OnDatagram(MakeDatagram(request, "192.168.1.50", 123));
  if (w.fake.udp.sent.size() == before) return -1;
  return w.fake.udp.sent.back().bytes[1];
}

// Without the right to set the clock, a correct clock is served as GPS time
// and a wrong one as no source, every second alike: a refused step
// does not change what the checks found.
TEST(TimeIntegrity, TheServedStratumIsSteadyWhileItsSourceIs) {
  for (const bool pps : {true, false}) {
    for (const double pcOffset : {0.0, 0.5}) {
      SCOPED_TRACE(::testing::Message() << (pps ? "1PPS " : "") << pcOffset);
      SimOptions o;
      o.pps = pps;
      o.pcOffset = pcOffset;
      SimWorld w(o);
      w.fake.clock.refuse = true;
      w.Connect();
      w.RunFor(30);
      std::vector<int> strata;
      for (int i = 0; i < 60; ++i) {
        w.RunFor(1);
        strata.push_back(ServedStratum(w));
      }
      const int expected = pps || pcOffset == 0 ? 1 : 0;
      EXPECT_EQ(std::count(strata.begin(), strata.end(), expected), 60);
    }
  }
}

}  // namespace

#pragma once
// A simulated world in virtual time: a true time, a PC clock that is off and
// drifts, a counter, and a receiver that sends its sentences or frames after
// each second and (optionally) a 1PPS pulse on DSR at the second. Events
// reach the core through a FIFO hand-over with a latency, as on the desktop.
//
// The pulse is seen as the adapter sees it: the edge worker wakes a little
// after the change that ends its wait, reads the counter and the clock, the
// line's level and the changes the driver counted since its previous wake-up,
// and only then waits again. A change while it is awake does not end the next
// wait, but it is counted.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/app.h"
#include "fakes/fake_platform.h"
#include "receiver/receiver_generator.h"

struct SimOptions {
  ReceiverModel model = ReceiverModel::JupiterNmea;
  bool pps = true;
  bool fix = true;
  double startNtp = 3'976'000'000.3;  // true time at the start (2025-12-29)
  double pcOffset = 0;                // PC clock minus true time, seconds
  double pcDrift = 0;                 // seconds per second
  double handOverLatency = 0.0005;    // worker thread to main loop, seconds
  double handOverJitter = 0;          // extra latency, uniform in [0, jitter]
  double pulseWidth = 0.02;           // leading to trailing edge, seconds (below 1)
  bool pulseAsserted = true;          // DSR asserted during the pulse (false: inverted)
  double edgeWakeLatency = 0;         // the edge worker reads this long after the change
  double edgeWakeJitter = 0;          // the edge worker wakes 0..this late, on top
  double edgeAwakeTime = 0;           // from its read until it waits again
  bool driverCountsChanges = true;    // false: the driver cannot count (dsrChanges 0)
  double readWakeLatency = 50e-6;     // receive worker: first byte in to its capture
  double tickPhase = 0.037;           // where the 100 ms ticks fall in a second
  int baud = 4800;
  uint64_t counterFrequency = 10'000'000;
  double counterStart = 0;            // counter value at the start
  double counterRateError = 0;        // counter runs fast by this fraction
  // The PC clock's rate wanders by this much (a sine over wanderPeriod s).
  double pcWander = 0;
  double wanderPeriod = 1800;
  // How far the start of the receiver's bursts strays (one standard
  // deviation, s); unset: the model's own.
  std::optional<double> burstSpread;
  // The setting `FreqAdjust`: the frequency loop runs. Off unless a test
  // asks, so the step rules are seen alone.
  bool freqAdjust = false;
  unsigned seed = 1;
};

// The fakes, set up for the options before the core is built on them.
struct SimPlatform : FakePlatform {
  explicit SimPlatform(const SimOptions& o) : FakePlatform(o.startNtp) {
    counter.Configure(o.counterFrequency, o.counterStart, o.counterRateError);
    time.SetPcOffset(o.pcOffset);
    time.SetDrift(o.pcDrift);
    if (o.pcWander != 0) time.SetWander(o.pcWander, o.wanderPeriod);
  }
};

class SimWorld {
 public:
  explicit SimWorld(SimOptions options);

  SimPlatform fake;
  App app;
  SimOptions options;

  // Chooses the receiver kind and dSec that go with the model and presses
  // "接続(&G)".
  void Connect();
  void RunFor(double seconds);
  // Runs until pred() holds (checked after every event); false on time-out.
  bool RunUntil(const std::function<bool()>& pred, double maxSeconds);

  double Now() const { return fake.time.Now(); }
  // PC clock minus true time, seconds.
  double PcError() const { return fake.time.Pc() - fake.time.Now(); }
  // Log window lines containing text.
  int CountLog(const std::string& text) const;

  // Called after each event the core handled (for measurements).
  std::function<void()> afterEvent;
  // When set, true seconds for which the receiver sends nothing (a gap).
  std::function<bool(int64_t trueSecond)> silentSecond;
  // When set, true seconds without a 1PPS pulse (the sentences still come).
  std::function<bool(int64_t trueSecond)> noPulse;
  // When set, true seconds in which the receiver has no fix (its sentences
  // say so; the pulse still comes, as it does from a free-running receiver).
  std::function<bool(int64_t trueSecond)> noFix;
  // When set, true seconds with a false pulse 300 ms after the true one.
  std::function<bool(int64_t trueSecond)> falsePulse;
  // Time of each clock setting, with the PC error right after it.
  struct Step { double when; double errorAfter; };
  std::vector<Step> steps;
  int edgesDelivered = 0;
  // Writes to the receiver: each goes out at the line's speed after the one
  // before and its outcome comes back through the hand-over. When
  // failWrites is set they fail with that error code.
  struct SentWrite { double queued; double done; std::vector<uint8_t> bytes; };
  std::vector<SentWrite> writes;
  unsigned failWrites = 0;

 private:
  void Schedule(double when, std::function<void()> fn);
  void HandOver(double captured, std::function<void()> fn);
  void ScheduleSecond(int64_t trueSecond);
  void ScheduleBurst(double edge, const Burst& burst);
  // The DSR line changes; the edge worker wakes if it waits.
  void DsrChange();
  void ScheduleTick(double when);
  void TakeWrites();

  std::multimap<double, std::function<void()>> events_;
  double lastDelivery_ = 0;
  std::mt19937 rng_;
  ReceiverGenerator generator_;
  ReceiverGenerator noFixGenerator_;
  int lastSetCount_ = 0;
  size_t writesTaken_ = 0;
  double lastWriteDone_ = 0;
  // The DSR line, the driver's count of its changes, and the edge worker.
  bool dsrAsserted_ = false;
  uint32_t dsrCount_ = 0;
  uint32_t dsrCountRead_ = 0;
  bool edgeWorkerWaits_ = true;
};

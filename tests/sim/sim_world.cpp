#include "sim/sim_world.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/connection.h"
#include "app/startup.h"
#include "app/tick.h"
#include "receiver/burst_pacing.h"

namespace {
constexpr int64_t kNtpToUnix = 2208988800LL;

GeneratorOptions GeneratorFor(const SimOptions& o, bool fix) {
  GeneratorOptions g;
  g.model = o.model;
  g.fix = fix;
  g.burstSpread = o.burstSpread;
  return g;
}
}  // namespace

SimWorld::SimWorld(SimOptions o)
    : fake(o), app(fake.platform), options(o), rng_(o.seed),
      generator_(GeneratorFor(o, o.fix)),
      noFixGenerator_(GeneratorFor(o, false)) {
  FormCreate(app);
  app.settings.FreqAdjust = o.freqAdjust ? 1 : 0;
  FormShow(app);
  lastDelivery_ = o.startNtp;
  dsrAsserted_ = !o.pulseAsserted;
  double firstTick = std::floor(o.startNtp) + o.tickPhase;
  while (firstTick < o.startNtp) firstTick += 0.1;
  ScheduleTick(firstTick);
  ScheduleSecond(static_cast<int64_t>(std::floor(o.startNtp)) + 1);
}

void SimWorld::Connect() {
  struct Kind { int receiver, dSec; };
  Kind kind{0, 2};
  switch (options.model) {
    case ReceiverModel::JupiterNmea: kind = {0, 2}; break;
    case ReceiverModel::JupiterBinary: kind = {0, 2}; break;
    case ReceiverModel::Gt77: kind = {1, 0}; break;
    case ReceiverModel::Cca370h: kind = {2, 0}; break;
    case ReceiverModel::Garmin: kind = {3, 1}; break;
    case ReceiverModel::MultiGnss: kind = {4, 1}; break;
  }
  app.settings.Receiver = kind.receiver;
  app.settings.dSec = kind.dSec;
  ButtonConnectClick(app);
}

void SimWorld::Schedule(double when, std::function<void()> fn) { events_.emplace(when, std::move(fn)); }

void SimWorld::HandOver(double captured, std::function<void()> fn) {
  double latency = options.handOverLatency;
  if (options.handOverJitter > 0) {
    latency += std::uniform_real_distribution<double>(0, options.handOverJitter)(rng_);
  }
  // The main loop takes posted events in the order they were posted.
  const double when = std::max(captured + latency, lastDelivery_);
  lastDelivery_ = when;
  Schedule(when, std::move(fn));
}

void SimWorld::ScheduleTick(double when) {
  Schedule(when, [this, when] {
    TickProc(app);
    ScheduleTick(when + 0.1);
  });
}

void SimWorld::ScheduleSecond(int64_t second) {
  const double t = static_cast<double>(second);
  Schedule(t, [this, second, t] {
    ScheduleSecond(second + 1);
    if (silentSecond && silentSecond(second)) return;
    if (options.pps && !(noPulse && noPulse(second))) {
      DsrChange();
      Schedule(t + options.pulseWidth, [this] { DsrChange(); });
    }
    if (falsePulse && falsePulse(second)) {
      Schedule(t + 0.3, [this] { DsrChange(); });
      Schedule(t + 0.3 + options.pulseWidth, [this] { DsrChange(); });
    }
    const ReceiverGenerator& generator = noFix && noFix(second) ? noFixGenerator_ : generator_;
    for (const Burst& burst : generator.BurstsAfterEdge(second - kNtpToUnix)) {
      ScheduleBurst(t, burst);
    }
  });
}

// Each piece is read once its last byte has crossed the line; the receive
// worker captured its arrival when the first byte was in.
void SimWorld::ScheduleBurst(double edge, const Burst& burst) {
  auto shared = std::make_shared<Burst>(burst);
  const double byteTime = ReceiverGenerator::ByteTime(options.baud);
  for (const PacedPiece& piece : PaceBurst(burst, options.baud)) {
    const double firstByteIn =
        edge + burst.startOffset + static_cast<double>(piece.begin + 1) * byteTime;
    const double captured = firstByteIn + options.readWakeLatency;
    const double read = std::max(edge + piece.offset, captured);
    Schedule(captured, [this, shared, piece, read] {
      CounterCapture arrival;
      arrival.counter =
          options.counterFrequency == 0 ? fake.counter.TickCountMs() : fake.counter.ReadCounter();
      arrival.pcNtp = fake.clock.ReadNtpSeconds();
      arrival.pcLocal = fake.clock.GetLocalTime();
      Schedule(read, [this, shared, piece, read, arrival] {
        HandOver(read, [this, shared, piece, arrival] {
          if (fake.serial.sink) {
            fake.serial.sink->OnBytes(shared->bytes.data() + piece.begin, piece.end - piece.begin,
                                      &arrival);
          }
        });
      });
    });
  }
}

void SimWorld::DsrChange() {
  dsrAsserted_ = !dsrAsserted_;
  ++dsrCount_;
  // No worker runs while the port is closed; its count starts at the open.
  if (!fake.serial.sink) dsrCountRead_ = dsrCount_;
  if (!fake.serial.sink || !edgeWorkerWaits_) return;
  edgeWorkerWaits_ = false;
  double at = Now() + options.edgeWakeLatency;
  if (options.edgeWakeJitter > 0) {
    at += std::uniform_real_distribution<double>(0, options.edgeWakeJitter)(rng_);
  }
  Schedule(at, [this, at] {
    // The worker's first action: counter and PC clock together; then the
    // line's level and the driver's count.
    EdgeCapture edge;
    edge.counter = options.counterFrequency == 0 ? fake.counter.TickCountMs()
                                                 : fake.counter.ReadCounter();
    edge.pcNtp = fake.clock.ReadNtpSeconds();
    edge.pcLocal = fake.clock.GetLocalTime();
    edge.dsrAsserted = dsrAsserted_;
    edge.dsrChanges = options.driverCountsChanges ? dsrCount_ - dsrCountRead_ : 0;
    dsrCountRead_ = dsrCount_;
    HandOver(at, [this, edge] {
      if (fake.serial.sink) {
        fake.serial.sink->OnDsrChange(edge);
        ++edgesDelivered;
      }
    });
    if (options.edgeAwakeTime > 0) {
      Schedule(at + options.edgeAwakeTime, [this] { edgeWorkerWaits_ = true; });
    } else {
      edgeWorkerWaits_ = true;
    }
  });
}

void SimWorld::TakeWrites() {
  const std::vector<std::vector<uint8_t>>& written = fake.serial.written;
  for (; writesTaken_ < written.size(); ++writesTaken_) {
    const std::vector<uint8_t>& bytes = written[writesTaken_];
    const double start = std::max(Now(), lastWriteDone_);
    const double done = start + bytes.size() * ReceiverGenerator::ByteTime(options.baud);
    lastWriteDone_ = done;
    writes.push_back({Now(), done, bytes});
    Schedule(done, [this, done] {
      HandOver(done, [this] {
        fake.serial.CompleteNext(failWrites == 0, failWrites);
      });
    });
  }
}

bool SimWorld::RunUntil(const std::function<bool()>& pred, double maxSeconds) {
  const double end = Now() + maxSeconds;
  for (;;) {
    TakeWrites();
    // Timers on the main loop fire in their turn among the other events.
    const std::optional<double> timer = fake.timers.NextDue();
    const bool eventNext = !events_.empty() && (!timer || events_.begin()->first < *timer);
    const double when = eventNext ? events_.begin()->first : timer.value_or(end + 1);
    if (when > end) break;
    fake.time.AdvanceTo(when);
    if (eventNext) {
      auto it = events_.begin();
      auto fn = std::move(it->second);
      events_.erase(it);
      fn();
    } else {
      fake.timers.RunOneDue();
    }
    TakeWrites();
    if (fake.clock.setCount != lastSetCount_) {
      lastSetCount_ = fake.clock.setCount;
      steps.push_back({when, PcError()});
    }
    if (afterEvent) afterEvent();
    if (pred && pred()) return true;
  }
  fake.time.AdvanceTo(end);
  return false;
}

void SimWorld::RunFor(double seconds) { RunUntil(nullptr, seconds); }

int SimWorld::CountLog(const std::string& text) const {
  int n = 0;
  for (const std::string& line : app.log.MemoLog()) n += line.find(text) != std::string::npos;
  return n;
}

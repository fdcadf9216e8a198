// The whole receiver path under arbitrary input: received bytes through the
// line assembly, the dispatcher, the parsers, the per-second work and the
// clock discipline, with 1PPS edges and 100 ms ticks between the passes. The
// first bytes pick the receiver kind, the base sentence and dSec; the rest is
// the received stream. Checks: no crash or undefined behaviour, the texts
// stay within their room, and the clock is never set to a date outside the
// accepted years.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstdlib>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "app/tick.h"
#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"

namespace {

void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "receiver path: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  FakePlatform fake(ReceiverTimeToNtpSeconds(2025, 12, 31, 14, 59, 50));
  App app(fake.platform);
  FormCreate(app);
  FormShow(app);
  app.settings.Receiver = data[0] % 5;
  app.settings.BaseMesg = (data[0] / 5) % 2;
  app.settings.dSec = static_cast<int>(data[1] % 19) - 9;
  app.settings.SyncParm = static_cast<int>(data[2] % 19) - 9;
  ButtonConnectClick(app);

  // Passes of 1 to 128 bytes, each followed now and then by an edge and by
  // 0 to 3 ticks, from a hash of the input, so the stream itself stays whole.
  uint64_t state = 1469598103934665603ull;
  for (size_t i = 0; i < size; ++i) state = (state ^ data[i]) * 1099511628211ull;
  state |= 1;
  size_t at = 3;
  while (at < size) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    const uint64_t control = state;
    const size_t pass = std::min<size_t>(1 + control % 128, size - at);
    fake.serial.sink->OnBytes(data + at, pass);
    at += pass;
    if ((control >> 8) % 4 == 0) {
      EdgeCapture edge;
      edge.counter = fake.counter.ReadCounter();
      edge.pcLocal = fake.clock.GetLocalTime();
      fake.serial.sink->OnDsrChange(edge);
    }
    for (uint64_t tick = 0; tick < (control >> 16) % 4; ++tick) {
      fake.time.Advance(0.1);
      TickProc(app);
    }
    if (fake.clock.setCount > 0) {
      const LocalTimeRecord& set = fake.clock.lastSet;
      Require(ValidReceiverDate(set.Year, set.Month, set.Day), "clock set outside the accepted dates");
    }
  }
  const ReceiverState& rx = app.Receiver()->time.rx;
  for (const std::string* text : {&rx.LatitudeText, &rx.LongitudeText, &rx.StatusText,
                                  &rx.SatelliteText, &rx.AntennaText, &rx.GeoidText}) {
    Require(text->size() <= ReceiverState::kTextMax, "a text beyond its room");
  }
  Require(rx.DatumText.size() <= ReceiverState::kDatumMax, "the datum beyond its room");
  ButtonConnectClick(app);
  return 0;
}

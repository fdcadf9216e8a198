#include "link/pps_discipline.h"

#include <cstdlib>

#include "app/app.h"
#include "app/text_format.h"
#include "timekeeping/time_arithmetic.h"

namespace {

// Seconds the counter has run since the edge was captured.
double SecondsSinceEdge(App& app, uint32_t edgeCount) {
  if (app.pps.CounterFrequency == 0) {
    return static_cast<uint32_t>(app.platform.counter.TickCountMs() - edgeCount) * 0.001;
  }
  return static_cast<uint32_t>(app.platform.counter.ReadCounter() - edgeCount) * app.CounterPeriod;
}

}  // namespace

void PpsEdgeUpdate(App& app, const EdgeCapture& edge) {
  PpsTimingRecord& r = app.pps;
  const ReceiverLink& link = app.link;
  app.view.EditJst = Hms(r.LocalHour, r.Minute, r.Second);
  app.view.EditUtc = Hms(r.UtcHour, r.Minute, r.Second);
  if (r.Second % 5 != 0) return;

  const auto err = static_cast<int64_t>((link.PcEdgeTime - link.RxEdgeTime) * 1000.0);
  const int64_t e = std::llabs(err) + std::abs(r.SyncOffsetMs);
  const bool trusted = r.TimeValid && r.TimeReady && r.AutoAdjust == 1;
  if (r.Second % 10 == 0) {
    if (trusted && e > 30 && e < 3600000) {
      // The edge reached us after a hand-over: set the receiver's time of
      // this moment, that is the edge's time plus the counter time since.
      const double t = link.RxEdgeTime + r.SyncOffsetMs * 0.001 + SecondsSinceEdge(app, edge.counter);
      app.platform.clock.SetLocalTime(NtpSecondsToLocalTime(t, r.TimeZone), SubMillisecondNanos(t));
    }
  } else if (trusted && e > 1000 && e < 3600000) {
    r.CorrectionOk = false;
  }
  app.view.EditPcErr = StrPrintf("%+lld", static_cast<long long>(err / 10));
}

#include "link/edge_timing.h"

#include "app/app.h"
#include "link/pps_discipline.h"
#include "timekeeping/time_arithmetic.h"

namespace {

void AddIntervalSample(PpsTimingRecord& r) {
  r.IntervalCount += 1;
  const double d = static_cast<double>(r.EdgeInterval) - r.IntervalMean;
  r.IntervalMean += d / r.IntervalCount;
  r.IntervalM2 += d * d * (r.IntervalCount - 1) / r.IntervalCount;
}

}  // namespace

void HandleDsrChange(App& app, const EdgeCapture& edge) {
  PpsTimingRecord& r = app.pps;
  if (r.PpsArmed) {
    r.PrevEdgeCount = r.EdgeCount;
    r.EdgeCount = edge.counter;
    r.EdgeInterval = r.EdgeCount - r.PrevEdgeCount;  // unsigned: one wrap is fine
    if (r.EdgeInterval < r.IntervalStatsLimit) AddIntervalSample(r);
    if (r.EdgeInterval < r.IntervalMin || r.EdgeInterval > r.IntervalMax) r.TimeValid = false;

    if (r.TimeValid && r.TimeReady) {
      ReceiverLink& link = app.link;
      link.PcEdgeTime = LocalTimeToNtpSeconds(edge.pcLocal, r.TimeZone);
      if (r.ReceiverDateKnown) {
        link.RxEdgeTime =
            ReceiverTimeToNtpSeconds(r.UtcYear, r.UtcMonth, r.UtcDay, r.UtcHour, r.Minute, r.Second);
      } else {
        // No date from the receiver: the PC's date with the receiver's time.
        LocalTimeRecord t = edge.pcLocal;
        t.Hour = static_cast<uint16_t>(r.LocalHour);
        t.Minute = static_cast<uint16_t>(r.Minute);
        t.Second = static_cast<uint16_t>(r.Second);
        t.Milliseconds = 0;
        link.RxEdgeTime = LocalTimeToNtpSeconds(t, r.TimeZone);
      }
      r.LastEdgeCount = r.EdgeCount;
      NtpTimestampEncode(link.RxEdgeTime, r.EdgeNtpTime);
    }
    PpsEdgeUpdate(app, edge);
    if (app.sentenceBuffer) app.sentenceBuffer->Append("=PPS,,");
    r.PpsArmed = false;
  }
  r.PpsSeen = true;
}

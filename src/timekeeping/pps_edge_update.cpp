#include "timekeeping/pps_edge_update.h"

#include "common/text_format.h"
#include "timekeeping/second_processing.h"
#include "timekeeping/time_keeper.h"


void PpsEdgeUpdate(TimeKeeper& tk, const ArmedEdge& edge) {
  PpsTimingRecord& r = tk.pps;
  if (edge.timeTaken) {
    tk.EdgeTaken = true;
    tk.TakenEdgeTime = edge.rxEdgeTime;
    tk.TakenEdgeCount = edge.count;
    tk.timing.TicksSinceEdgeTaken = 0;
    // The time sentence's burst began this long after the pulse before
    // this one: what the second is placed by when the 1PPS goes.
    tk.burstDelay.Learn(!tk.cfg.NmeaMode,
                        1.0 - tk.counterScale.SecondsBetween(tk.timing.SecondArrival.counter, edge.count));
  }
  tk.view.EditJst = Hms(r.LocalHour, r.Minute, r.Second);
  tk.view.EditUtc = Hms(r.UtcHour, r.Minute, r.Second);

  ClockMeasurement m;
  m.source = ClockSource::kPps;
  m.reference = edge.rxEdgeTime;
  m.pc = edge.pcEdgeTime;
  m.pcFine = edge.pcEdgeFine;
  m.count = edge.count;
  m.uncertainty = tk.EdgeJitter();
  m.second = r.Second;
  m.usable = edge.timeTaken && !r.LeapSecond;
  m.stamp = ReceiverStamp(r);
  tk.discipline.Measure(m);
  if (r.Second % 5 == 0) tk.view.EditPcErr = StrPrintf("%+lld", static_cast<long long>(m.ErrorMs() / 10));
}

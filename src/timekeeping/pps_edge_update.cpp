#include "timekeeping/pps_edge_update.h"

#include "common/text_format.h"
#include "timekeeping/time_keeper.h"

void PpsEdgeUpdate(TimeKeeper& tk, const ArmedEdge& edge) {
  PpsTimingRecord& r = tk.pps;
  if (edge.timeTaken) {
    tk.EdgeTaken = true;
    tk.TakenEdgeTime = edge.rxEdgeTime;
    tk.TakenEdgeCount = edge.count;
    tk.timing.TicksSinceEdgeTaken = 0;
  }
  tk.view.EditJst = Hms(r.LocalHour, r.Minute, r.Second);
  tk.view.EditUtc = Hms(r.UtcHour, r.Minute, r.Second);
  if (r.Second % 5 != 0) return;

  const auto err = static_cast<int64_t>((edge.pcEdgeTime - edge.rxEdgeTime) * 1000.0);
  const bool allowed = r.TimeValid && r.TimeReady && r.AutoAdjust == 1;
  switch (tk.discipline.Decide(r.Second, err, r.SyncOffsetMs, allowed)) {
    case ClockDiscipline::Action::kStep:
      tk.discipline.StepAtCount(edge.rxEdgeTime + r.SyncOffsetMs * 0.001, edge.count);
      break;
    case ClockDiscipline::Action::kReportFailure:
      r.CorrectionOk = false;
      break;
    case ClockDiscipline::Action::kNone:
      break;
  }
  tk.view.EditPcErr = StrPrintf("%+lld", static_cast<long long>(err / 10));
}

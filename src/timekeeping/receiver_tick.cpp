#include "timekeeping/receiver_tick.h"

#include "common/text_format.h"
#include "timekeeping/second_processing.h"
#include "timekeeping/time_keeper.h"

namespace {

// No second processed for this long while receiving: reception has stopped.
constexpr int kStallTicks = 30;
// No DSR change for this long: the 1PPS has stopped, and the seconds are
// taken from the sentences until it returns.
constexpr int kPpsLostTicks = 20;

bool AwaitFirstData(TimeKeeper& tk) {
  SecondTiming& k = tk.timing;
  UpdateFixQuality(tk);
  bool usable = false;
  if (tk.pps.FixQuality >= 2) {
    k.DataWait.Stop();
    k.FixStartPending = true;
    tk.pps.DelayOutOfRange = false;
    k.StartCheckCount = 0;
    usable = true;
  } else if (k.DataWait.Count()) {
    const LocalTimeRecord t = tk.clock.GetLocalTime();
    tk.status.ShowStatus(Stamped(t.Hour, t.Minute, t.Second, "受信できません!!"));
    k.DataWait.Start();
  }
  k.SecondPending = false;
  return usable;
}

// Reception that was running and stopped is told once, in the status bar and
// the log; the reception state leaves normal, so "同期" waits for it, and
// its return is logged as "正常受信に復帰".
void WatchReception(TimeKeeper& tk) {
  SecondTiming& k = tk.timing;
  if (k.DataWait.Running() || k.FixStartPending) {
    k.TicksSinceSecond = 0;
    return;
  }
  if (tk.pps.PpsSeen && ++k.TicksSinceEdge > kPpsLostTicks) {
    tk.pps.PpsSeen = false;
    k.PpsLost = true;
    tk.log.LogWithPcTime("1PPS信号が途絶えました");
  }
  if (++k.TicksSinceSecond < kStallTicks || k.StallReported) return;
  k.StallReported = true;
  const LocalTimeRecord t = tk.clock.GetLocalTime();
  tk.status.ShowStatus(Stamped(t.Hour, t.Minute, t.Second, "受信が途絶えました!!"));
  tk.ShownStatus.clear();
  tk.log.LogWithPcTime("受信が途絶えました");
  tk.pps.ReceptionOk = false;
}

}  // namespace

bool TickReceiverTiming(TimeKeeper& tk) {
  SecondTiming& k = tk.timing;
  if (k.TicksSinceEdgeTaken <= kEdgeReferenceFreshTicks) k.TicksSinceEdgeTaken += 1;
  const bool usable = k.DataWait.Running() && AwaitFirstData(tk);
  WatchReception(tk);
  if (k.SecondPending) {
    k.PendingSecondTicks += 1;
    if (!tk.pps.PpsSeen && k.PendingSecondTicks >= k.DelayTicks) ProcessSecond(tk);
  }
  if (!k.PpsMarkerSeen) k.SentenceToPpsTicks += 1;
  return usable;
}

void NoteDsrChange(TimeKeeper& tk) {
  SecondTiming& k = tk.timing;
  k.TicksSinceEdge = 0;
  if (k.PpsLost) {
    k.PpsLost = false;
    tk.log.LogWithPcTime("1PPS信号が復帰しました");
  }
}

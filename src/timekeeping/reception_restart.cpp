#include "timekeeping/reception_restart.h"

#include "timekeeping/time_keeper.h"

void RestartReception(TimeKeeper& tk) {
  SecondTiming& k = tk.timing;
  k.DataWait.Start();
  k.SecondPending = false;
  k.SentenceCount = 0;
  tk.cfg.NmeaMode = true;
  tk.pps.ReceiverDateKnown = false;
  tk.pps.PpsSeen = false;
  tk.pps.ReceptionOk = false;
  ReceiverState& rx = tk.rx;
  rx.GgaSeen = rx.RmcSeen = rx.Bin1000Seen = rx.Bin1108Seen = rx.TpsSeen = false;
}

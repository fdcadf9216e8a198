#include "timekeeping/receiver_time.h"

#include "app/app.h"
#include "timekeeping/time_arithmetic.h"

void TakeReceiverTime(App& app) {
  const PpsTimingRecord& r = app.pps;
  if (r.ReceiverDateKnown) {
    app.ReceiverNtpTime =
        ReceiverTimeToNtpSeconds(r.UtcYear, r.UtcMonth, r.UtcDay, r.UtcHour, r.Minute, r.Second);
    return;
  }
  LocalTimeRecord& t = app.NowLocal;
  t.Hour = static_cast<uint16_t>(r.LocalHour);
  t.Minute = static_cast<uint16_t>(r.Minute);
  t.Second = static_cast<uint16_t>(r.Second);
  t.Milliseconds = 0;
  app.ReceiverNtpTime = LocalTimeToNtpSeconds(t, app.settings.TimeZone);
}

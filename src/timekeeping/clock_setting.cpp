#include "timekeeping/clock_setting.h"

#include "app/app.h"
#include "timekeeping/time_arithmetic.h"

namespace {

void SetFromReceiver(App& app) {
  if (!app.pps.ReceptionOk) {
    app.view.StatusBar = "時刻校正不能";
    return;
  }
  app.ReceiverNtpTime += app.pps.SyncOffsetMs * 0.001 + 0.01;
  app.NowLocal = NtpSecondsToLocalTime(app.ReceiverNtpTime, app.settings.TimeZone);
  app.platform.clock.SetLocalTime(app.NowLocal);
  NtpTimestampEncode(app.ReceiverNtpTime, app.pps.EdgeNtpTime);
}

void SetToWholeMinute(App& app) {
  const LocalTimeRecord& now = app.NowLocal;
  // Work in local seconds (time zone 0) so the carries into the hour and the
  // date come from the calendar arithmetic.
  double minute = ReceiverTimeToNtpSeconds(now.Year, now.Month, now.Day, now.Hour, now.Minute, 0);
  if (now.Second >= 30) minute += 60;
  const int syncParm = app.settings.SyncParm;
  LocalTimeRecord target = NtpSecondsToLocalTime(syncParm >= 0 ? minute : minute - 1, 0);
  target.Milliseconds = static_cast<uint16_t>(syncParm >= 0 ? syncParm * 100 : 1000 + syncParm * 100);
  app.platform.clock.SetLocalTime(target);
}

}  // namespace

void SetPcClock(App& app, bool fromReceiver) {
  if (fromReceiver) {
    SetFromReceiver(app);
  } else {
    SetToWholeMinute(app);
  }
}

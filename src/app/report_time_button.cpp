#include "app/report_time_button.h"

#include "app/app.h"
#include "common/text_format.h"
#include "common/time_arithmetic.h"
#include "net/time_report_stamp.h"

void ButtonReportTimeClick(App& app) {
  LocalTimeRecord t;
  ReportPrecision precision = ReportPrecision::kSeconds;
  if (!app.Connected()) {
    t = app.platform.clock.GetLocalTime();
  } else if (app.ServiceSource() == TimeSource::kReceiverPps) {
    const ServiceInstant now = PpsNow({app.edgeReference, app.counterScale, app.platform.clock});
    t = NtpSecondsToLocalTime(now.ntpSeconds + app.settings.SyncParm * 0.1, app.settings.TimeZone);
    precision = ReportPrecision::kMilliseconds;
  } else {
    t = app.platform.clock.GetLocalTime();
    precision = ReportPrecision::kTenths;
  }
  const std::string stamp = TimeReportStamp(t, precision);
  app.platform.clipboard.SetText(stamp);
  app.LogLine(Stamped(t.Hour, t.Minute, t.Second, "報時要求 - " + stamp));
}

#include "net/time_report_stamp.h"

#include "common/text_format.h"

std::string TimeReportStamp(const LocalTimeRecord& t, ReportPrecision precision) {
  const std::string head =
      StrPrintf("%d%02d%02d%02d%02d%02d_", t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second);
  switch (precision) {
    case ReportPrecision::kMilliseconds: return head + StrPrintf("%03d", t.Milliseconds);
    case ReportPrecision::kTenths: return head + StrPrintf("%1dxx", t.Milliseconds / 100);
    case ReportPrecision::kSeconds: break;
  }
  return head + "xxx";
}

#pragma once
#include <string>

#include "platform/local_time.h"

// How exact the time of a report is, by its source.
enum class ReportPrecision {
  kMilliseconds,  // the 1PPS edge plus the counter
  kTenths,        // the PC clock while connected
  kSeconds        // the PC clock while offline
};

// The stamp of "報時(&R)": year, then month, day, hour, minute, second with
// two digits each, "_" and three characters for the milliseconds, digits the
// source cannot give written as "x" ("20050314123456_789", "_7xx", "_xxx").
std::string TimeReportStamp(const LocalTimeRecord& t, ReportPrecision precision);

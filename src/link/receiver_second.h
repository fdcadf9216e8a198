#pragma once

#include "link/pps_timing_record.h"

// The receiver's time of the coming second (NTP seconds, UTC), from the
// record: with a date, the instant of its time of day nearest the date and
// the time that came with it, so a date read before or after a midnight
// carry names the right day whatever the order of the sentences; without
// one, its time of day on the day that puts it nearest the PC's time.
double ReceiverSecondNtp(const PpsTimingRecord& r, double pcNtpSeconds);

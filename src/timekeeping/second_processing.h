#pragma once

#include "link/pps_timing_record.h"
#include "platform/local_time.h"

class TimeKeeper;

// Derives FixQuality (0..3) from what the parsers collected.
void UpdateFixQuality(TimeKeeper& tk);

// The once-a-second step of a receiver connection.
void ProcessSecond(TimeKeeper& tk);

// The receiver's time of the coming second (NTP seconds, UTC), as the link
// takes it for an edge (ReceiverSecondNtp), with the PC's time now.
double ReceiverSecondTime(const TimeKeeper& tk);

// The receiver's local time of the coming second, for log lines.
LocalTimeRecord ReceiverStamp(const PpsTimingRecord& r);

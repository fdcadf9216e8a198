#pragma once
#include "platform/local_time.h"

// The PC's wall clock in the system's local time zone.
class PcClock {
 public:
  virtual ~PcClock() = default;
  // Safe to call from any thread: the serial worker reads it at each edge.
  virtual LocalTimeRecord GetLocalTime() = 0;
  // Sets the clock to the record plus extraNanoseconds (0..999999), which lets
  // the edge path set it with more precision than the record's milliseconds.
  // Returns false when the system refused (no right to set the clock); callers
  // do not report that, the remaining error shows it.
  virtual bool SetLocalTime(const LocalTimeRecord& t, uint32_t extraNanoseconds = 0) = 0;
};

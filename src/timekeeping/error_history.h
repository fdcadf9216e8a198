#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>

#include "timekeeping/clock_measurement.h"

// The measurements of the PC clock over the last hour, oldest first, for the
// error graph. Bounded: what lies more than an hour before the newest point
// goes, and at most one point a second is kept room for.
class ErrorHistory {
 public:
  static constexpr double kSpanSeconds = 3600;
  static constexpr size_t kMaxPoints = 3600;

  // Appends a point. One that is not a finite number is ignored. A PC time
  // before the newest one (the clock was stepped back) first drops the
  // points after it, so the times stay in order.
  void Add(const ClockMeasurementPoint& point);

  const std::deque<ClockMeasurementPoint>& Points() const { return points_; }
  // Points ever added: changes whenever a point comes.
  uint64_t Revision() const { return revision_; }

 private:
  std::deque<ClockMeasurementPoint> points_;
  uint64_t revision_ = 0;
};

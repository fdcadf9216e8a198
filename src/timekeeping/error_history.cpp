#include "timekeeping/error_history.h"

#include <cmath>

void ErrorHistory::Add(const ClockMeasurementPoint& point) {
  if (!std::isfinite(point.pcTime) || !std::isfinite(point.error) ||
      !std::isfinite(point.uncertainty) || !std::isfinite(point.frequencyPpm)) {
    return;
  }
  while (!points_.empty() && points_.back().pcTime > point.pcTime) points_.pop_back();
  while (!points_.empty() &&
         (points_.front().pcTime < point.pcTime - kSpanSeconds || points_.size() >= kMaxPoints)) {
    points_.pop_front();
  }
  points_.push_back(point);
  ++revision_;
}

#include "timekeeping/error_graph_model.h"

#include <algorithm>
#include <cstddef>

namespace {

// The range of the values with a twentieth of it as room on each side, and
// at least `minSpan` wide, so a flat series still gets an axis. `cut` values
// at each end are left out: an error of a few seconds before the first step
// would otherwise flatten an hour of small ones.
void RangeOf(const std::vector<GraphPoint>& points, size_t cut, double minSpan, double& low,
             double& high) {
  if (points.size() <= 2 * cut) {
    low = -minSpan / 2;
    high = minSpan / 2;
    return;
  }
  std::vector<double> values;
  values.reserve(points.size());
  for (const GraphPoint& p : points) values.push_back(p.value);
  const auto lo = values.begin() + static_cast<std::ptrdiff_t>(cut);
  const auto hi = values.end() - 1 - static_cast<std::ptrdiff_t>(cut);
  std::nth_element(values.begin(), lo, values.end());
  const double least = *lo;
  std::nth_element(lo, hi, values.end());
  const double most = *hi;
  const double room = (most - least) / 20;
  low = least - room;
  high = most + room;
  if (high - low < minSpan) {
    const double middle = (low + high) / 2;
    low = middle - minSpan / 2;
    high = middle + minSpan / 2;
  }
}

}  // namespace

bool ErrorGraphModel::Update(const ErrorHistory& history) {
  if (history.Revision() == shownRevision_) return false;
  shownRevision_ = history.Revision();
  const auto& points = history.Points();
  ErrorSeries.clear();
  FrequencySeries.clear();
  StepMarks.clear();
  const bool micro = !points.empty() && points.back().source == ClockSource::kPps;
  ErrorAxisTitle = micro ? "PC誤差 (ﾏｲｸﾛ秒)" : "PC誤差 (ﾐﾘ秒)";
  const double scale = micro ? 1e6 : 1e3;
  const double newest = points.empty() ? 0 : points.back().pcTime;
  ErrorSeries.reserve(points.size());
  FrequencySeries.reserve(points.size());
  for (const ClockMeasurementPoint& p : points) {
    const double minutes = (p.pcTime - newest) / 60;
    ErrorSeries.push_back({minutes, p.error * scale});
    FrequencySeries.push_back({minutes, p.frequencyPpm});
    if (p.stepped) StepMarks.push_back({minutes, p.error * scale});
  }
  RangeOf(ErrorSeries, ErrorSeries.size() / 100, micro ? 10 : 1, ErrorMin, ErrorMax);
  RangeOf(FrequencySeries, 0, 1, FrequencyMin, FrequencyMax);
  // A step beyond the range is marked at its edge.
  for (GraphPoint& mark : StepMarks) mark.value = std::clamp(mark.value, ErrorMin, ErrorMax);
  return true;
}

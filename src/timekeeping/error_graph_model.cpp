#include "timekeeping/error_graph_model.h"

#include <algorithm>

namespace {

// The range of the values with a twentieth of it as room on each side, and
// at least `minSpan` wide, so a flat series still gets an axis.
void RangeOf(const std::vector<GraphPoint>& points, double minSpan, double& low, double& high) {
  if (points.empty()) {
    low = -minSpan / 2;
    high = minSpan / 2;
    return;
  }
  const auto [lo, hi] = std::minmax_element(
      points.begin(), points.end(),
      [](const GraphPoint& a, const GraphPoint& b) { return a.value < b.value; });
  const double room = (hi->value - lo->value) / 20;
  low = lo->value - room;
  high = hi->value + room;
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
  RangeOf(ErrorSeries, micro ? 10 : 1, ErrorMin, ErrorMax);
  RangeOf(FrequencySeries, 1, FrequencyMin, FrequencyMax);
  return true;
}

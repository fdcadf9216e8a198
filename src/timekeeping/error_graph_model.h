#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "timekeeping/error_history.h"

// A point of the error graph: minutes before the newest measurement (0 at the
// newest, negative before it) and the value in its axis's unit.
struct GraphPoint {
  double minutes = 0;
  double value = 0;
};

// What the error graph window shows of the error history: the PC error on
// the left axis, in microseconds while the newest measurement is a 1PPS
// edge's and in milliseconds otherwise; the frequency correction (ppm) on the
// right axis; and a mark at each measurement the clock was stepped on, at
// the error it had then. The error axis spans all but the farthest hundredth
// of the points at each end, so a few seconds' error before a step leave
// the rest readable; a step mark beyond it sits at its edge.
class ErrorGraphModel {
 public:
  static constexpr double kSpanMinutes = ErrorHistory::kSpanSeconds / 60;

  // Rebuilds from the history when points came since the last call; false
  // (and nothing changed) when none did.
  bool Update(const ErrorHistory& history);

  std::string ErrorAxisTitle = "PC誤差 (ﾐﾘ秒)";
  std::string FrequencyAxisTitle = "周波数補正 (ppm)";
  std::string TimeAxisTitle = "時間 (分)";
  std::vector<GraphPoint> ErrorSeries;
  std::vector<GraphPoint> FrequencySeries;
  std::vector<GraphPoint> StepMarks;
  // The value ranges the axes show, with a little room.
  double ErrorMin = -1, ErrorMax = 1;
  double FrequencyMin = -1, FrequencyMax = 1;

 private:
  uint64_t shownRevision_ = 0;
};

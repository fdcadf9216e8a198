#pragma once
#include <cstdint>

class TimeKeeper;

// What the link took of an armed edge: its PC and receiver times (those of
// the last edge whose time was taken), whether this edge's time was taken,
// and the count it was captured at.
struct ArmedEdge {
  double pcEdgeTime = 0;
  double rxEdgeTime = 0;
  bool timeTaken = false;
  uint32_t count = 0;
  double pcEdgeFine = 0;  // pcEdgeTime at the clock's full resolution (0: not read)
};

// Runs after each armed edge: shows the edge's local time and UTC, and every
// 5 seconds the PC error; hands the edge's measurement to the clock
// discipline (a step is set to the edge's receiver time plus the sync
// adjustment, advanced by the counter time since the edge was captured), and
// learns from a taken edge how late the time sentence's burst comes.
void PpsEdgeUpdate(TimeKeeper& tk, const ArmedEdge& edge);

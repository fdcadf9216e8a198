#pragma once
#include <cstdint>

// The receiver time of the last taken 1PPS edge and the count it was captured
// at, from which the time now is the edge's plus the counter time since. It
// outlives the connections: the time service reads it in every state.
struct EdgeReference {
  uint8_t EdgeNtpTime[8] = {};
  uint32_t LastEdgeCount = 0;
};

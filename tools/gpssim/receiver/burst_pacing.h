#pragma once
#include <cstddef>
#include <vector>

#include "receiver/receiver_generator.h"

// A burst cut into the pieces written to the line one at a time: bytes
// [begin, end) are handed over at `offset` seconds after the pulse, the
// moment the last of them has crossed the line at the baud rate.
struct PacedPiece {
  double offset = 0;
  size_t begin = 0;
  size_t end = 0;
};

// Pieces of about `pieceSeconds` of line time each, at least two bytes (so a
// two-byte sync word at a burst's start reaches the reader in one piece).
std::vector<PacedPiece> PaceBurst(const Burst& burst, int baud, double pieceSeconds = 0.010);

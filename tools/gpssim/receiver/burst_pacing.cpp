#include "receiver/burst_pacing.h"

#include <algorithm>
#include <cmath>

std::vector<PacedPiece> PaceBurst(const Burst& burst, int baud, double pieceSeconds) {
  std::vector<PacedPiece> pieces;
  const double byteTime = ReceiverGenerator::ByteTime(baud);
  size_t perPiece = 2;
  if (byteTime > 0) {
    perPiece = std::max<size_t>(2, static_cast<size_t>(std::lround(pieceSeconds / byteTime)));
  } else {
    perPiece = std::max<size_t>(burst.bytes.size(), 1);  // no pacing: one piece
  }
  for (size_t begin = 0; begin < burst.bytes.size(); begin += perPiece) {
    const size_t end = std::min(burst.bytes.size(), begin + perPiece);
    pieces.push_back({burst.startOffset + static_cast<double>(end) * byteTime, begin, end});
  }
  return pieces;
}

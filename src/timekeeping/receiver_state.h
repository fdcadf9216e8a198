#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// What the parsers collected from the receiver: texts as received (each
// holding at most kTextMax characters, the datum kDatumMax) and the
// per-second flags.
struct ReceiverState {
  static constexpr size_t kTextMax = 15;
  static constexpr size_t kDatumMax = 31;

  std::string LongitudeText;
  std::string LatitudeText;
  std::string StatusText;
  std::string SatelliteText;
  std::string AntennaText;
  std::string GeoidText;
  std::string TpsStatusText;
  std::string TimeMarkStatusText;
  std::string DatumText;

  bool GgaSeen = false;
  bool RmcSeen = false;
  bool Bin1000Seen = false;
  bool Bin1108Seen = false;
  bool TpsSeen = false;

  // Empties the held texts and the per-second flags (a new connection).
  void Reset() { *this = ReceiverState{}; }
};

// Running position statistics in the receiver's notation (degrees x 100 +
// minutes).
struct PositionStats {
  uint32_t PositionCount = 0;
  double LongitudeMean = 0, LatitudeMean = 0;
  double LongitudeM2 = 0, LatitudeM2 = 0;
};

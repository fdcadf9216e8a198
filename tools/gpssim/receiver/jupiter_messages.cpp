#include "receiver/jupiter_messages.h"

#include <cmath>

#include "link/jupiter_frame.h"
#include "receiver/nmea_sentences.h"
#include "receiver/utc_fields.h"

namespace sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint16_t kDatumWgs84 = 0;
constexpr uint16_t kDatumTokyo = 178;

// Data words, addressed by the byte offset of the field in the whole frame
// (the first data word lies at byte 10).
class DataWords {
 public:
  explicit DataWords(size_t count) : words_(count, 0) {}
  void U16(size_t frameOffset, uint16_t value) { words_.at((frameOffset - 10) / 2) = value; }
  void S16(size_t frameOffset, int16_t value) { U16(frameOffset, static_cast<uint16_t>(value)); }
  void U32(size_t frameOffset, uint32_t value) {
    U16(frameOffset, static_cast<uint16_t>(value & 0xFFFF));
    U16(frameOffset + 2, static_cast<uint16_t>(value >> 16));
  }
  void S32(size_t frameOffset, int32_t value) { U32(frameOffset, static_cast<uint32_t>(value)); }
  const std::vector<uint16_t>& Words() const { return words_; }

 private:
  std::vector<uint16_t> words_;
};

// The fields at the head of every output message: the receiver's set time
// (10 ms counter) and a sequence number.
void Head(DataWords& w, int64_t edge) {
  w.U32(10, static_cast<uint32_t>(edge * 100));
  w.U16(14, static_cast<uint16_t>(edge));
}

int32_t Radians1e8(double degrees) {
  return static_cast<int32_t>(std::llround(degrees * kPi / 180.0 * 1e8));
}

}  // namespace

std::vector<uint8_t> JupiterPositionFrame(const GeneratorOptions& o, int64_t edge) {
  const int64_t epoch = edge - 1;
  const UtcFields t = BreakDownUtc(epoch);
  DataWords w(49);
  Head(w, edge);
  w.U16(16, static_cast<uint16_t>(edge));            // measurement sequence number
  w.U16(18, o.fix ? 0 : 0x001F);                     // solution validity: bits set = invalid
  w.U16(20, 0);                                      // solution type
  w.U16(22, static_cast<uint16_t>(SatellitesUsed(o)));  // measurements used
  w.U16(26, static_cast<uint16_t>(GpsWeek(epoch)));
  w.U32(28, static_cast<uint32_t>(GpsSecondsOfWeek(epoch)));
  w.U16(36, static_cast<uint16_t>(t.day));
  w.U16(38, static_cast<uint16_t>(t.month));
  w.U16(40, static_cast<uint16_t>(t.year));
  w.U16(42, static_cast<uint16_t>(t.hour));
  w.U16(44, static_cast<uint16_t>(t.minute));
  w.U16(46, static_cast<uint16_t>(t.second));
  if (o.fix) {
    w.S32(52, Radians1e8(o.latitudeDeg));
    w.S32(56, Radians1e8(o.longitudeDeg));
    w.S32(60, static_cast<int32_t>(std::llround((o.heightMsl + o.geoidSeparation) * 100)));
    w.S16(64, static_cast<int16_t>(std::llround(o.geoidSeparation * 100)));
  }
  w.U16(76, o.tokyoDatum ? kDatumTokyo : kDatumWgs84);
  return BuildJupiterFrame(1000, w.Words(), 0);
}

std::vector<uint8_t> JupiterChannelFrame(const GeneratorOptions& o, int64_t edge) {
  const int64_t epoch = edge - 1;
  DataWords w(45);
  Head(w, edge);
  w.U16(16, static_cast<uint16_t>(edge));
  w.U16(18, static_cast<uint16_t>(GpsWeek(epoch)));
  w.U32(20, static_cast<uint32_t>(GpsSecondsOfWeek(epoch)));
  const int used = SatellitesUsed(o);
  for (int ch = 0; ch < 12; ++ch) {
    const size_t at = 28 + 6 * static_cast<size_t>(ch);
    w.U16(at, ch < used ? 0x0001 : 0);  // bit 0: measurement used in the solution
    w.U16(at + 2, static_cast<uint16_t>(ch < used ? SatellitePrn(ch) : 0));
    w.U16(at + 4, static_cast<uint16_t>(ch < used ? 38 + ch % 10 : 0));  // C/No, dB-Hz
  }
  return BuildJupiterFrame(1002, w.Words(), 0);
}

std::vector<uint8_t> JupiterTimeMarkFrame(const GeneratorOptions& o, int64_t edge) {
  DataWords w(14);
  Head(w, edge);
  w.U32(26, static_cast<uint32_t>(UtcSecondsOfWeek(edge + 1)));
  w.U16(30, kGpsUtcLeapSeconds);
  w.U16(36, o.fix ? 0xFFFF : 0);
  return BuildJupiterFrame(1108, w.Words(), 0);
}

}  // namespace sim

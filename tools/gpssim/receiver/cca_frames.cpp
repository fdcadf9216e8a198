#include "receiver/cca_frames.h"

#include <cmath>

#include "receiver/nmea_sentences.h"
#include "receiver/utc_fields.h"

namespace sim {
namespace {

constexpr uint8_t kTimeMarkLead = 0xC0;
constexpr uint8_t kPositionLead = 0xC6;
constexpr uint8_t kEnd = 0xDA;
constexpr size_t kTimeMarkLength = 28;
constexpr size_t kPositionLength = 81;

// Two's-complement value in `groups` 7-bit groups, most significant first.
void PutGroups(std::vector<uint8_t>& frame, size_t at, int groups, int64_t value) {
  for (int i = 0; i < groups; ++i) {
    const int shift = 7 * (groups - 1 - i);
    frame[at + static_cast<size_t>(i)] = static_cast<uint8_t>((value >> shift) & 0x7F);
  }
}

uint8_t Seven(int value) { return static_cast<uint8_t>(value & 0x7F); }

}  // namespace

std::vector<uint8_t> CcaPositionFrame(const GeneratorOptions& o, int64_t edge) {
  const UtcFields t = BreakDownUtc(edge - 1);
  std::vector<uint8_t> f(kPositionLength, 0);
  f[0] = kPositionLead;
  if (o.fix) {
    PutGroups(f, 1, 4, std::llround(o.latitudeDeg * 60000.0));
    PutGroups(f, 5, 4, std::llround(o.longitudeDeg * 60000.0));
    PutGroups(f, 9, 3, std::llround(o.heightMsl));
  }
  f[18] = Seven(t.year - 2000);
  f[19] = Seven(t.month);
  f[20] = Seven(t.day);
  f[21] = Seven(t.hour);
  f[22] = Seven(t.minute);
  f[23] = Seven(t.second);
  const int used = SatellitesUsed(o);
  for (int ch = 0; ch < 8; ++ch) {
    const size_t block = 33 + 6 * static_cast<size_t>(ch);
    f[block] = Seven(SatellitePrn(ch));
    f[block + 1] = ch < used ? 2 : 1;                   // 2: used in the fix, 1: tracking
    f[block + 2] = Seven(ch < used ? 38 + ch % 10 : 0);  // signal strength
  }
  f[78] = o.fix ? 0 : 1;  // bit 0: no position
  f[kPositionLength - 1] = kEnd;
  return f;
}

std::vector<uint8_t> CcaTimeMarkFrame(const GeneratorOptions& o, int64_t edge) {
  const UtcFields t = BreakDownUtc(edge + 1);
  std::vector<uint8_t> f(kTimeMarkLength, 0);
  f[0] = kTimeMarkLead;
  f[1] = Seven(t.year - 2000);
  f[2] = Seven(t.month);
  f[3] = Seven(t.day);
  f[4] = Seven(t.hour);
  f[5] = Seven(t.minute);
  f[6] = Seven(t.second);
  f[7] = 0;             // 0: time from the receiver's solution
  f[8] = o.fix ? 1 : 0; // 1: time mark valid
  f[10] = 0;            // 0: no alarm
  f[kTimeMarkLength - 1] = kEnd;
  return f;
}

}  // namespace sim

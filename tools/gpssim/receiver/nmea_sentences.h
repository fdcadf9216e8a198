#pragma once
#include <string>
#include <string_view>

#include "receiver/receiver_options.h"
#include "receiver/utc_fields.h"

namespace sim {

// How one receiver writes the common sentences.
struct NmeaStyle {
  std::string_view talker = "GP";
  int timeDecimals = 0;    // "hhmmss" or "hhmmss.000"
  int minuteDecimals = 4;  // decimals of the latitude/longitude minutes
  bool zeroPadded = false; // Furuno engines pad DOP and heights with zeros
};

// Each returns one complete sentence with checksum and CR LF. Without a fix
// the position fields are empty, GGA quality is 0 and RMC status V.
std::string GgaSentence(const NmeaStyle& style, const GeneratorOptions& o, const UtcFields& t);
std::string RmcSentence(const NmeaStyle& style, const GeneratorOptions& o, const UtcFields& t);
std::string GsaSentence(const NmeaStyle& style, const GeneratorOptions& o);
// All $GPGSV sentences (four satellites each) for the satellites in use.
std::string GsvSentences(const GeneratorOptions& o);
// Position and time, and course and speed (standing still).
std::string GllSentence(const NmeaStyle& style, const GeneratorOptions& o, const UtcFields& t);
std::string VtgSentence(const NmeaStyle& style, const GeneratorOptions& o);
// Zone fields as the multi-constellation receiver writes them ("+00,00").
std::string ZdaSentence(const NmeaStyle& style, const UtcFields& t);

// PRN of the i-th satellite of the simulated constellation (i < 12).
int SatellitePrn(int i);
// Number of satellites reported as used: 0 without a fix, else 0..12.
int SatellitesUsed(const GeneratorOptions& o);

}  // namespace sim

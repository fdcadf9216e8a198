#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "receiver/utc_fields.h"

namespace sim {

// XOR of the characters between '$' and '*'.
uint8_t NmeaChecksum(std::string_view body);
// "$" + body + "*hh\r\n" (upper-case hex checksum).
std::string NmeaSentence(std::string_view body);

// "ddmm.mmmm,N" / "dddmm.mmmm,E" with the given number of decimals of the
// minute (rounded, never showing 60 minutes).
std::string NmeaLatitude(double degrees, int minuteDecimals);
std::string NmeaLongitude(double degrees, int minuteDecimals);

// "hhmmss", or "hhmmss.000" with decimals 3.
std::string NmeaTime(const UtcFields& t, int decimals);
// "ddmmyy".
std::string NmeaDate(const UtcFields& t);

}  // namespace sim

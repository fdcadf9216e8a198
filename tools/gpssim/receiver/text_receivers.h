#pragma once
#include <cstdint>
#include <string>

#include "receiver/receiver_options.h"

namespace sim {

// The sentences each text receiver sends in the second after its pulse at
// UTC second `edge`, in the order it sends them. The time each one writes:
// Jupiter NMEA edge - 1 (two seconds behind the pulse it labels, edge + 1);
// GT-77 edge + 1 (the coming pulse); Garmin and the multi-constellation
// receiver edge (the pulse just passed).
std::string JupiterNmeaText(const GeneratorOptions& o, int64_t edge);
std::string Gt77Text(const GeneratorOptions& o, int64_t edge);
std::string GarminText(const GeneratorOptions& o, int64_t edge);
std::string MultiGnssText(const GeneratorOptions& o, int64_t edge);
// GT-77 datum report: the datum number and its parameter set number.
std::string SsdSentence(const GeneratorOptions& o);

}  // namespace sim

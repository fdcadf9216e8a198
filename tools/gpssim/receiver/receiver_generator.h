#pragma once
#include <cstdint>
#include <vector>

#include "receiver/receiver_options.h"

// One stretch of bytes the receiver sends without a pause. The bytes follow
// each other at the line's baud rate from `startOffset` seconds after the
// pulse; the caller paces them.
struct Burst {
  double startOffset = 0;
  std::vector<uint8_t> bytes;
};

// What a GPS receiver sends: at each true UTC second it gives a 1PPS pulse,
// and in the second after it, these bursts. Deterministic: the same second
// and options always give the same bytes.
class ReceiverGenerator {
 public:
  explicit ReceiverGenerator(GeneratorOptions options);

  // The bursts sent between the pulse at UTC second `unixSecondOfEdge` (Unix
  // seconds) and the next one, in order of their start.
  std::vector<Burst> BurstsAfterEdge(int64_t unixSecondOfEdge) const;

  const GeneratorOptions& Options() const { return options_; }

  // Seconds per byte on the line (start bit, 8 data bits, stop bit).
  static double ByteTime(int baud);

 private:
  GeneratorOptions options_;
};

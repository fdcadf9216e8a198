#pragma once
#include <cstdint>
#include <optional>

#include "link/counter_scale.h"
#include "platform/serial_port.h"

// Picks, from the DSR changes the edge worker captured, the leading edges of
// the 1PPS pulses: one per pulse. A receiver's pulse is microseconds to half
// a second wide, and a level shifter may invert it, so which level the pulse
// has is learned from the line:
// - A capture that holds a whole pulse (the driver counted two or more
//   changes, or, when it cannot count, the level is the one seen at the
//   previous capture) is the leading edge: the pulse was too short for two
//   wake-ups, or its trailing edge came while the worker was awake.
// - Otherwise each capture is one change, and the state it ends tells the
//   polarity: a state shorter than kPulseMaxSeconds was the pulse, one
//   between kGapMinSeconds and kGapMaxSeconds the gap between two pulses. A
//   state in between (a pulse as wide as its gap) cannot tell; then the
//   pulse is the state the sentence burst began in, less than
//   kBurstAfterEdgeSeconds after its edge, because receivers send after the
//   second's pulse. When both states saw a burst begin (a binary receiver's
//   time mark in the gap), the one that began sooner after its edge counts.
// A polarity is taken once two findings in a row agree, so one glitch does
// not turn it. Until it is known, no single change is a leading edge.
class PulseEdges {
 public:
  static constexpr double kPulseMaxSeconds = 0.4;
  static constexpr double kGapMinSeconds = 0.6;
  static constexpr double kGapMaxSeconds = 1.5;
  static constexpr double kBurstAfterEdgeSeconds = 0.5;

  explicit PulseEdges(const CounterScale& counter) : counter_(counter) {}

  // Whether the change is the leading edge of a pulse. lastBurstStart: the
  // first arrival of the last burst of received bytes (nullptr: none yet).
  bool IsLeadingEdge(const EdgeCapture& edge, const CounterCapture* lastBurstStart);

  // The DSR level during the pulse, once learned (true: asserted).
  std::optional<bool> PulseLevel() const { return pulseLevel_; }

 private:
  // A burst began this long after a change into `level`.
  struct BurstAfter {
    bool level = false;
    double seconds = 0;
  };
  std::optional<bool> PolarityFromBursts(const std::optional<BurstAfter>& now) const;
  void Found(bool level);

  const CounterScale& counter_;
  bool seen_ = false;
  bool lastLevel_ = false;
  // The last capture when it was a single change.
  bool lastSingle_ = false;
  uint32_t lastCount_ = 0;
  // The burst that began after the change before the last one, if any.
  std::optional<BurstAfter> burstBefore_;
  std::optional<bool> finding_;
  std::optional<bool> pulseLevel_;
};

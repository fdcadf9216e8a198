#pragma once
#include <cstddef>
#include <cstdint>

// A phase-and-frequency loop for the PC clock: a PI controller on the
// measured offset. The proportional part is handed out as a slew, the
// integral part is the frequency correction. Its time constant grows with
// the measurements' uncertainty (seconds with 1PPS, minutes from sentences
// or a server), so noisy offsets are averaged over longer, and it is never
// shorter than twice the gap between measurements, so sparse ones (a server
// every few minutes) cannot make it overshoot. The uncertainty is the one
// the measurements state until the loop has seen enough of them to tell
// their scatter itself, from their second differences (which a steady
// frequency error does not enter).
//
// A PI loop rather than a regression over a window: the slews land some
// time after they are asked for (the kernel spreads them over the next
// whole second), which a PI loop with a modest gain takes in its stride,
// while a regression would need an exact account of every correction; and
// two numbers of state carry it over gaps of any length.
//
// An edge is always captured after it happened (the worker wakes late), so
// 1PPS offsets lie above the true one by a wake-up delay that is never
// negative. For such measurements the loop aims at the lower edge of the
// recent offsets instead of their mean: the delay's mean above its floor is
// learned from how far the offsets of the last window lie above the straight
// line through them, and taken off. A single wild offset is clipped.
//
// Plain arithmetic: it tells what to do and never touches the clock.
class FrequencyLoop {
 public:
  struct Correction {
    double frequencyPpm = 0;  // the frequency correction to put in force
    double slew = 0;          // seconds the clock is to gain (negative: lose)
  };

  static constexpr double kMaxFrequencyPpm = 500;
  // Time constant: this at an uncertainty of kReferenceUncertainty, growing
  // with its square root, within the bounds.
  static constexpr double kReferenceTimeConstant = 16;
  static constexpr double kReferenceUncertainty = 15e-6;
  static constexpr double kMinTimeConstant = 8;
  static constexpr double kMaxTimeConstant = 4 * 3600;
  // Offsets in the window the wake-up delay is learned from.
  static constexpr size_t kWindow = 16;
  // Offsets taken before the frequency counts as learned.
  static constexpr uint32_t kSettledAfter = 64;

  static double TimeConstant(double uncertainty, double gap);

  // One offset (PC minus source, seconds) measured at `time` (the PC's time,
  // seconds on any steady scale), `uncertainty` one standard deviation;
  // `lateOnly` when the measurement can only come late. Gives the slew and
  // the frequency to apply now.
  Correction Take(double time, double offset, double uncertainty, bool lateOnly);

  // The phase is forgotten (after a step, or a change of source): the next
  // offset starts afresh. The frequency and the learned delay stay.
  void Restart();
  // Starts from a frequency known from before (ppm), forgetting the rest.
  void StartFrom(double frequencyPpm);

  double FrequencyPpm() const { return frequencyPpm_; }
  // Enough offsets were taken since the start for the frequency to be kept.
  bool Settled() const { return taken_ >= kSettledAfter; }
  // How far late-only offsets lie above their floor on average (seconds).
  double LateDelay() const { return lateDelay_; }
  // The offsets' own scatter (one standard deviation, seconds), once known.
  double Scatter() const;

 private:
  double FloorAbove() const;

  double frequencyPpm_ = 0;
  uint32_t taken_ = 0;
  bool havePrevious_ = false;
  double previousTime_ = 0;
  // Mean absolute (clipped) error: the clip limit follows a persistent error
  // so a pull-in is not held back, but not a single wild offset.
  double meanAbsError_ = 0;
  // The recent late-only offsets and their times, oldest first.
  double times_[kWindow] = {};
  double offsets_[kWindow] = {};
  size_t count_ = 0;
  double lateDelay_ = 0;
  bool lateDelayKnown_ = false;
  // The scatter of the offsets: mean square of their second differences.
  double previousOffsets_[2] = {};
  uint32_t run_ = 0;  // offsets since the start, up to kWindow
  double secondDifferenceSquare_ = 0;
  uint32_t scatterSamples_ = 0;
};

#include "timekeeping/frequency_loop.h"

#include <algorithm>
#include <cmath>

double FrequencyLoop::TimeConstant(double uncertainty, double gap) {
  const double u = std::isfinite(uncertainty) && uncertainty > 0 ? uncertainty : kReferenceUncertainty;
  double tau = kReferenceTimeConstant * std::sqrt(u / kReferenceUncertainty);
  tau = std::clamp(tau, kMinTimeConstant, kMaxTimeConstant);
  if (std::isfinite(gap)) tau = std::max(tau, 2 * gap);
  return tau;
}

FrequencyLoop::Correction FrequencyLoop::Take(double time, double offset, double uncertainty,
                                              bool lateOnly) {
  Correction c;
  c.frequencyPpm = frequencyPpm_;
  if (!std::isfinite(time) || !std::isfinite(offset)) return c;

  if (run_ >= 2) {
    const double d2 = offset - 2 * previousOffsets_[1] + previousOffsets_[0];
    secondDifferenceSquare_ += (d2 * d2 - secondDifferenceSquare_) /
                               static_cast<double>(std::min<uint32_t>(scatterSamples_ + 1, kWindow));
    if (scatterSamples_ < kWindow) ++scatterSamples_;
  }
  previousOffsets_[0] = previousOffsets_[1];
  previousOffsets_[1] = offset;
  if (run_ < kWindow) ++run_;
  const double scatter = Scatter();
  const double spread = scatter > 0 ? scatter : uncertainty;

  const double error = lateOnly ? offset - lateDelay_ : offset;
  // The first offset after a start is taken whole: it may be a pull-in.
  if (!havePrevious_) meanAbsError_ = std::fabs(error);
  const double limit = std::max(4 * uncertainty, 3 * meanAbsError_);
  const double clipped = std::clamp(error, -limit, limit);
  meanAbsError_ += (std::fabs(clipped) - meanAbsError_) / kWindow;

  if (lateOnly) {
    // The window holds the clipped offsets, so a wild one cannot move the
    // learned delay far.
    if (count_ == kWindow) {
      std::copy(times_ + 1, times_ + kWindow, times_);
      std::copy(offsets_ + 1, offsets_ + kWindow, offsets_);
      --count_;
    }
    times_[count_] = time;
    offsets_[count_] = clipped + lateDelay_;
    ++count_;
    if (count_ >= kWindow / 2) {
      const double above = FloorAbove();
      lateDelay_ = lateDelayKnown_ ? lateDelay_ + (above - lateDelay_) / kWindow : above;
      lateDelayKnown_ = true;
    }
  }

  if (havePrevious_) {
    const double gap = std::max(0.0, time - previousTime_);
    const double tau = TimeConstant(spread, gap);
    // After a long gap one offset counts for no more than a time constant.
    const double dt = std::min(gap, tau);
    c.slew = -clipped * dt / tau;
    frequencyPpm_ -= clipped * dt / (4 * tau * tau) * 1e6;
    frequencyPpm_ = std::clamp(frequencyPpm_, -kMaxFrequencyPpm, kMaxFrequencyPpm);
    c.frequencyPpm = frequencyPpm_;
  }
  havePrevious_ = true;
  previousTime_ = time;
  if (taken_ < kSettledAfter) ++taken_;
  return c;
}

// How far the window's offsets lie above the straight line through them, on
// average, measured from the lowest: the mean wake-up delay above its floor.
double FrequencyLoop::FloorAbove() const {
  const double t0 = times_[count_ - 1];
  double st = 0, sx = 0;
  for (size_t i = 0; i < count_; ++i) {
    st += times_[i] - t0;
    sx += offsets_[i];
  }
  const double n = static_cast<double>(count_);
  const double mt = st / n, mx = sx / n;
  double stt = 0, stx = 0;
  for (size_t i = 0; i < count_; ++i) {
    const double dt = times_[i] - t0 - mt;
    stt += dt * dt;
    stx += dt * (offsets_[i] - mx);
  }
  const double slope = stt > 0 ? stx / stt : 0;
  double lowest = 0;
  for (size_t i = 0; i < count_; ++i) {
    const double residual = offsets_[i] - (mx + slope * (times_[i] - t0 - mt));
    lowest = std::min(lowest, residual);
  }
  return -lowest;
}

double FrequencyLoop::Scatter() const {
  // White noise gives second differences of six times its variance.
  if (scatterSamples_ < kWindow) return 0;
  return std::max(1e-7, std::sqrt(secondDifferenceSquare_ / 6));
}

void FrequencyLoop::Restart() {
  havePrevious_ = false;
  count_ = 0;
  meanAbsError_ = 0;
  run_ = 0;
}

void FrequencyLoop::StartFrom(double frequencyPpm) {
  *this = FrequencyLoop{};
  if (std::isfinite(frequencyPpm)) {
    frequencyPpm_ = std::clamp(frequencyPpm, -kMaxFrequencyPpm, kMaxFrequencyPpm);
  }
}

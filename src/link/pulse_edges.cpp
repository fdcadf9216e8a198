#include "link/pulse_edges.h"

bool PulseEdges::IsLeadingEdge(const EdgeCapture& edge, const CounterCapture* lastBurstStart) {
  const bool whole = edge.dsrChanges >= 2 ||
                     (edge.dsrChanges == 0 && seen_ && edge.dsrAsserted == lastLevel_);
  // The line was at fromLevel from the previous capture until this one when
  // the driver counted one change, or, when it cannot count, when the
  // previous capture was one change too.
  const bool measured = seen_ && (edge.dsrChanges == 1 || lastSingle_);
  const bool fromLevel = lastLevel_;
  const uint32_t from = lastCount_;
  seen_ = true;
  lastLevel_ = edge.dsrAsserted;
  lastCount_ = edge.counter;
  lastSingle_ = !whole;
  if (whole || !measured) {
    burstBefore_.reset();
    return whole || pulseLevel_ == edge.dsrAsserted;
  }

  const double lasted = counter_.SecondsBetween(from, edge.counter);
  std::optional<BurstAfter> burstNow;
  if (lastBurstStart != nullptr) {
    const double after = counter_.SecondsBetween(from, lastBurstStart->counter);
    if (after > 0 && after < lasted && after < kBurstAfterEdgeSeconds) {
      burstNow = BurstAfter{fromLevel, after};
    }
  }
  std::optional<bool> found;
  if (lasted < kPulseMaxSeconds) {
    found = fromLevel;
  } else if (lasted > kGapMinSeconds) {
    if (lasted <= kGapMaxSeconds) found = edge.dsrAsserted;
  } else {
    found = PolarityFromBursts(burstNow);
  }
  burstBefore_ = burstNow;
  if (found) Found(*found);
  return pulseLevel_ == edge.dsrAsserted;
}

std::optional<bool> PulseEdges::PolarityFromBursts(const std::optional<BurstAfter>& now) const {
  if (now && burstBefore_) {
    return now->seconds <= burstBefore_->seconds ? now->level : burstBefore_->level;
  }
  if (now) return now->level;
  if (burstBefore_) return burstBefore_->level;
  return std::nullopt;
}

void PulseEdges::Found(bool level) {
  if (finding_ == level) pulseLevel_ = level;
  finding_ = level;
}

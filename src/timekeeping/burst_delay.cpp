#include "timekeeping/burst_delay.h"

#include <algorithm>
#include <cmath>

void BurstDelay::UseKind(ReceiverKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  nmea_ = Learned{};
  binary_ = Learned{};
}

void BurstDelay::Learn(bool binary, double delaySeconds) {
  if (!(delaySeconds >= 0 && delaySeconds < 1)) return;
  Learned& l = binary ? binary_ : nmea_;
  l.count += 1;
  const double d = delaySeconds - l.mean;
  l.mean += d / l.count;
  l.m2 += d * (delaySeconds - l.mean);
}

BurstDelay::Estimate BurstDelay::For(bool binary) const {
  const Learned& l = binary ? binary_ : nmea_;
  if (l.count >= kLearnedAfter) {
    return {l.mean, std::max(kSpreadFloor, std::sqrt(l.m2 / (l.count - 1))), true};
  }
  const ReceiverKindTraits& t = TraitsOf(kind_);
  if (binary) return {t.binaryBurstDelay, t.binaryBurstSpread, false};
  return {t.nmeaBurstDelay, t.nmeaBurstSpread, false};
}

#pragma once
#include <cstdint>

#include "common/receiver_kinds.h"

// How late after the pulse of a second the receiver's time-sentence burst
// begins: learned against the 1PPS while it is there, otherwise the kind's
// figure. Without 1PPS the second is placed this much before the burst's
// first arrival. Outlives the connections, so what was learned stays for the
// next one with the same kind; another kind starts from its own figure.
class BurstDelay {
 public:
  // Samples needed before the learned delay replaces the kind's figure.
  static constexpr uint32_t kLearnedAfter = 10;
  // The learned spread is never taken as smaller than this (seconds): the
  // reader's wake-up and the serial driver add a little of their own.
  static constexpr double kSpreadFloor = 0.002;

  struct Estimate {
    double delay = 0;   // seconds after the pulse
    double spread = 0;  // one standard deviation, seconds
    bool learned = false;
  };

  // The receiver kind of the connection starting now.
  void UseKind(ReceiverKind kind);
  // One delay measured against a taken 1PPS edge. Values outside a second
  // are not delays of this second's burst and are ignored.
  void Learn(bool binary, double delaySeconds);
  Estimate For(bool binary) const;

 private:
  struct Learned {
    uint32_t count = 0;
    double mean = 0;
    double m2 = 0;
  };
  ReceiverKind kind_ = kJupiter;
  Learned nmea_, binary_;
};

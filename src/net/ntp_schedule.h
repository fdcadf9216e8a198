#pragma once
#include <cstdint>

// When the network time client asks a server: at the whole 5-minute marks
// (second 0), every `NtpIntv` minutes.
struct NtpSchedule {
  int32_t NextNtpMinute = 0;
  int32_t NtpRequestCount = 0;

  // Starts the count at the 5-minute mark after `minute`.
  void Start(int minute);
  // True when a request is due at this minute and second of the receiver's
  // (or the PC's) time. Each mark counts once, however often it is asked.
  bool Due(int minute, int second, int ntpIntv);
};

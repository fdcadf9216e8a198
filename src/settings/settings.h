#pragma once
#include <cstdint>
#include <string>

#include "common/receiver_kinds.h"
#include "settings/serial_params.h"

// The stored settings, named by their stored value names. The serial
// ones live in `SerialParams` (its port index is copied from `Port` when the
// port is opened and is not stored).
struct Settings {
  int32_t Port = 0;        // 0..3 = COM1..COM4, 4 = the network
  int32_t dSSS = 3;        // communication delay in 100 ms ticks, 0..9
  int32_t Receiver = 0;    // 0 Jupiter, 1 GT-77, 2 CCA-370H, 3 Garmin std, 4 other
  int32_t dSec = 2;        // second correction, -9..+9
  int32_t TimeZone = 9;    // hours local standard time is ahead of UTC, -13..+13
  int32_t NtpIntv = 10;    // network client interval in minutes, 0..60 by 5
  int32_t SyncParm = 0;    // sync adjustment in steps of kSyncStepMs, -9..+9
  int32_t AutoAdjust = 1;  // 0 off, 1 on
  int32_t BaseMesg = 0;    // 0 GGA, 1 RMC
  int32_t BeepCond = 2;    // 0 never, 1 every second, 2 unstable reception
  int32_t LanOpt = 1;      // 0 own LAN protocol, 1 SNTP
  int32_t IsLogOut = 0;    // write the log file
  // Without a time source, serve the PC clock at stratum 10 "LOCL" (an
  // isolated LAN that prefers a common time to none); else unsynchronised.
  int32_t ServeLocalClock = 0;
  // Keep the PC clock between steps with a frequency correction and small
  // slews ("周波数補正"); 0 steps only.
  int32_t FreqAdjust = 1;
  // The file of shared NTP keys ("ID TYPE KEY" lines); empty: none.
  std::string KeyFile;
  // The key the SNTP client signs its requests with and wants its replies
  // signed with; 0: none.
  int32_t ServerKey = 0;
  // Whom the own LAN protocol answers: 0 the PC's own networks, loopback,
  // link-local and private ranges; 1 everyone; 2 no one.
  int32_t LanAccess = 0;
  // SNTP is answered only to these "address/bits" entries (blanks or commas
  // between them); empty: to everyone.
  std::string NtpAllow;
  int32_t LogRequests = 1;   // a log line per received request
  int32_t LogKeepDays = 31;  // the daily log files kept, 1..3660
  std::string ServerIpAddr;  // host name or IPv4/IPv6 address, at most kServerAddrMax
  SerialParams serial;

  static constexpr int32_t kSyncStepMs = 100;
  static constexpr size_t kServerAddrMax = 107;
  static constexpr size_t kKeyFileMax = 4095;
  static constexpr size_t kNtpAllowMax = 1024;
  static constexpr int32_t kLogKeepDaysMax = 3660;
  int32_t SyncOffsetMs() const { return SyncParm * kSyncStepMs; }
};

// The port setting that means "the network" instead of a COM port.
constexpr int32_t kNetworkPort = 4;

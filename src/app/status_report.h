#pragma once
#include <cstdint>
#include <optional>
#include <string>

// What a running Quor tells `quor --status`: plain facts, gathered by the
// composition root (status_facts.h) and written out here.
struct StatusFacts {
  std::string mode;    // "offline", "receiver" or "network"
  std::string source;  // where the time served comes from, in words
  int stratum = 16;
  std::string referenceId;  // as text: a code ("GPS", "LOCL") or an address
  int leap = 3;             // the leap indicator served (3: not synchronised)
  bool synchronised = false;  // the PC clock is on its source
  double rootDispersion = 0;  // seconds
  // The last check of the PC clock against its source (NTP seconds; nullopt:
  // none yet), with the offset found (PC minus source) and its uncertainty.
  std::optional<double> lastCheck;
  double lastOffset = 0;
  double uncertainty = 0;
  double frequencyPpm = 0;  // the frequency correction in force
  // The last setting of the PC clock (NTP seconds) and how far it moved.
  std::optional<double> lastStep;
  double lastStepSize = 0;
  size_t keys = 0;  // shared keys held
  uint64_t served = 0;
  uint64_t servedWithKey = 0;
  uint64_t cryptoNaks = 0;
  std::optional<uint64_t> refused;      // by the access rules (`NtpAllow`)
  std::optional<uint64_t> rateLimited;  // by the rate limiter (kissed or dropped)
  size_t clientsLastHour = 0;
  bool clientsAtLeast = false;  // the count is a lower bound (table full)
};

// One fact a line, "Name : value", in the manner of `chronyc tracking`.
std::string StatusReportText(const StatusFacts& facts);
// The same facts as one JSON object, for scripts.
std::string StatusReportJson(const StatusFacts& facts);

#include "app/status_report.h"

#include <cmath>
#include <utility>
#include <vector>

#include "common/text_format.h"
#include "common/time_arithmetic.h"

namespace {

const char* LeapText(int leap) {
  switch (leap) {
    case 0: return "Normal";
    case 1: return "Insert second";
    case 2: return "Delete second";
    default: return "Not synchronised";
  }
}

// An NTP time as "YYYY-MM-DD hh:mm:ss UTC".
std::string UtcText(double ntpSeconds) {
  const LocalTimeRecord t = NtpSecondsToLocalTime(ntpSeconds, 0);
  return StrPrintf("%04u-%02u-%02u %02u:%02u:%02u UTC", unsigned{t.Year}, unsigned{t.Month},
                   unsigned{t.Day}, unsigned{t.Hour}, unsigned{t.Minute}, unsigned{t.Second});
}

std::string Count(uint64_t n) { return StrPrintf("%llu", static_cast<unsigned long long>(n)); }

std::string ClientsText(const StatusFacts& f) {
  return (f.clientsAtLeast ? "at least " : "") + Count(f.clientsLastHour);
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      out += StrPrintf("\\u%04x", c);
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

// A number as JSON takes it: no NaN or infinity.
std::string JsonNumber(double v, const char* format = "%.9f") {
  return std::isfinite(v) ? StrPrintf(format, v) : "null";
}

}  // namespace

std::string StatusReportText(const StatusFacts& f) {
  std::vector<std::pair<const char*, std::string>> lines = {
      {"Mode", f.mode},
      {"Source", f.source},
      {"Stratum", StrPrintf("%d", f.stratum)},
      {"Reference ID", f.referenceId},
      {"Leap status", LeapText(f.leap)},
      {"Synchronised", f.synchronised ? "Yes" : "No"},
      {"Root dispersion", StrPrintf("%.6f seconds", f.rootDispersion)},
      {"Last check", f.lastCheck ? UtcText(*f.lastCheck) : "never"},
      {"Last offset", f.lastCheck ? StrPrintf("%+.9f seconds", f.lastOffset) : "-"},
      {"Uncertainty", f.lastCheck ? StrPrintf("%.9f seconds", f.uncertainty) : "-"},
      {"Frequency", StrPrintf("%+.3f ppm", f.frequencyPpm)},
      {"Last step", f.lastStep ? UtcText(*f.lastStep) : "never"},
      {"Last step size", f.lastStep ? StrPrintf("%+.6f seconds", f.lastStepSize) : "-"},
      {"Keys", StrPrintf("%zu", f.keys)},
      {"Requests served", Count(f.served)},
      {"Served with key", Count(f.servedWithKey)},
      {"Crypto-NAKs", Count(f.cryptoNaks)},
  };
  if (f.refused) lines.emplace_back("Requests refused", Count(*f.refused));
  if (f.rateLimited) lines.emplace_back("Rate limited", Count(*f.rateLimited));
  lines.emplace_back("Clients last hour", ClientsText(f));
  std::string text;
  for (const auto& [name, value] : lines) text += StrPrintf("%-17s : %s\n", name, value.c_str());
  return text;
}

std::string StatusReportJson(const StatusFacts& f) {
  const auto optionalCount = [](const std::optional<uint64_t>& n) { return n ? Count(*n) : "null"; };
  std::string j = "{";
  j += "\"mode\":" + JsonString(f.mode);
  j += ",\"source\":" + JsonString(f.source);
  j += ",\"stratum\":" + StrPrintf("%d", f.stratum);
  j += ",\"reference_id\":" + JsonString(f.referenceId);
  j += ",\"leap\":" + StrPrintf("%d", f.leap);
  j += ",\"leap_status\":" + JsonString(LeapText(f.leap));
  j += ",\"synchronised\":" + std::string(f.synchronised ? "true" : "false");
  j += ",\"root_dispersion\":" + JsonNumber(f.rootDispersion);
  j += ",\"last_check\":" + (f.lastCheck ? JsonString(UtcText(*f.lastCheck)) : "null");
  j += ",\"last_offset\":" + (f.lastCheck ? JsonNumber(f.lastOffset) : "null");
  j += ",\"uncertainty\":" + (f.lastCheck ? JsonNumber(f.uncertainty) : "null");
  j += ",\"frequency_ppm\":" + JsonNumber(f.frequencyPpm, "%.6f");
  j += ",\"last_step\":" + (f.lastStep ? JsonString(UtcText(*f.lastStep)) : "null");
  j += ",\"last_step_size\":" + (f.lastStep ? JsonNumber(f.lastStepSize) : "null");
  j += ",\"keys\":" + StrPrintf("%zu", f.keys);
  j += ",\"requests_served\":" + Count(f.served);
  j += ",\"served_with_key\":" + Count(f.servedWithKey);
  j += ",\"crypto_naks\":" + Count(f.cryptoNaks);
  j += ",\"requests_refused\":" + optionalCount(f.refused);
  j += ",\"rate_limited\":" + optionalCount(f.rateLimited);
  j += ",\"clients_last_hour\":" + StrPrintf("%zu", f.clientsLastHour);
  j += ",\"clients_at_least\":" + std::string(f.clientsAtLeast ? "true" : "false");
  return j + "}\n";
}

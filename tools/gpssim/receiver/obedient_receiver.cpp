#include "receiver/obedient_receiver.h"

#include <cstdlib>
#include <string_view>

#include "receiver/text_receivers.h"

namespace sim {
namespace {

constexpr struct {
  std::string_view name;
  unsigned bit;
} kSentences[] = {{"GGA", kSimGga}, {"GSA", kSimGsa}, {"GSV", kSimGsv}, {"RMC", kSimRmc},
                  {"GLL", kSimGll}, {"ZDA", kSimZda}, {"VTG", kSimVtg}};

unsigned SentenceBit(std::string_view name) {
  for (const auto& s : kSentences) {
    if (s.name == name) return s.bit;
  }
  return 0;
}

// The comma-separated fields of a text command, the name first.
std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    fields.push_back(text.substr(start, comma - start));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

bool IsJupiter(ReceiverModel m) {
  return m == ReceiverModel::JupiterNmea || m == ReceiverModel::JupiterBinary;
}

}  // namespace

ObedientReceiver::ObedientReceiver(GeneratorOptions options) : options_(std::move(options)) {}

std::vector<std::string> ObedientReceiver::Receive(const uint8_t* data, size_t size) {
  std::vector<std::string> lines;
  for (const ReceivedCommand& c : reader_.Feed(data, size)) {
    const std::string effect = Apply(c);
    lines.push_back(Describe(c) + (effect.empty() ? "" : " -> " + effect));
  }
  return lines;
}

std::vector<Burst> ObedientReceiver::BurstsAfterEdge(int64_t edge) {
  std::vector<Burst> bursts = ReceiverGenerator(options_).BurstsAfterEdge(edge);
  if (!answer_.empty() && !bursts.empty()) {
    bursts.front().bytes.insert(bursts.front().bytes.end(), answer_.begin(), answer_.end());
    answer_.clear();
  }
  return bursts;
}

unsigned ObedientReceiver::Sentences() const {
  if (options_.sentences) return *options_.sentences;
  if (options_.model == ReceiverModel::Gt77) return kSimGga | kSimRmc;
  return kSimGga | kSimGsa | kSimRmc | (options_.withGsv ? kSimGsv : 0u);
}

std::string ObedientReceiver::Apply(const ReceivedCommand& c) {
  if (c.kind == ReceivedCommand::Kind::kBad) return {};
  if (IsJupiter(options_.model)) return ApplyJupiter(c);
  if (options_.model == ReceiverModel::Gt77) return ApplyGt77(c);
  if (options_.model == ReceiverModel::Cca370h) return ApplyCca(c);
  return {};
}

std::string ObedientReceiver::ApplyJupiter(const ReceivedCommand& c) {
  if (c.kind == ReceivedCommand::Kind::kJupiterFrame) {
    if (c.id == 1331) {
      options_.model = ReceiverModel::JupiterNmea;
      return "NMEA mode";
    }
    if (c.id == 1221 && c.data.size() >= 2) {
      pinning = c.data[1] != 4;
      return pinning ? "position pinning on" : "position pinning off";
    }
    if (c.id == 1211 && c.data.size() >= 2) {
      pendingDatum = c.data[1];
      return "datum " + std::to_string(pendingDatum) + " from the next power-on";
    }
    return {};
  }
  if (c.kind != ReceivedCommand::Kind::kText) return {};
  if (c.text == "$PRWIIPRO,,RBIN") {
    options_.model = ReceiverModel::JupiterBinary;
    return "binary mode";
  }
  const auto f = Fields(c.text);
  if (f[0] == "$PRWIILOG" && f.size() >= 3) {
    const unsigned bit = SentenceBit(f[1]);
    if (bit == 0 || bit & (kSimGll | kSimZda | kSimVtg)) return {};
    const bool on = f[2] == "A";
    options_.sentences = on ? Sentences() | bit : Sentences() & ~bit;
    return std::string(f[1]) + (on ? " on" : " off");
  }
  return {};
}

std::string ObedientReceiver::ApplyGt77(const ReceivedCommand& c) {
  if (c.kind != ReceivedCommand::Kind::kText) return {};
  const auto f = Fields(c.text);
  if (f[0] != "$PFEC" || f.size() < 2) return {};
  if (f[1] == "GPint") {
    unsigned on = Sentences();
    std::string effect;
    for (size_t i = 2; i < f.size(); ++i) {
      const std::string_view item = f[i];
      if (item.size() != 5 || (item.substr(3) != "00" && item.substr(3) != "01")) continue;
      const bool start = item.substr(3) == "01";
      if (item.substr(0, 3) == "tps") {
        options_.gt77Tps = start;
      } else if (const unsigned bit = SentenceBit(item.substr(0, 3))) {
        on = start ? on | bit : on & ~bit;
      } else {
        continue;
      }
      effect += (effect.empty() ? "" : ", ") + std::string(item.substr(0, 3)) +
                (start ? " on" : " off");
    }
    options_.sentences = on;
    return effect.empty() ? "no change" : effect;
  }
  if (f[1] == "GPrrs" && f.size() >= 5) {
    traim = std::atoi(std::string(f[2]).c_str());
    ppsControl = std::atoi(std::string(f[4]).c_str());
    return "TRAIM " + std::to_string(traim) + ", 1PPS control " + std::to_string(ppsControl);
  }
  if (f[1] == "GPset" && f.size() >= 3 && f[2].size() == 4 && f[2][0] == 'G') {
    const int datum = std::atoi(std::string(f[2].substr(1)).c_str());
    if (datum < 1) return {};
    options_.gt77Datum = datum;
    return "datum " + std::to_string(datum);
  }
  if (f[1] == "GPsrq") {
    answer_ += SsdSentence(options_);
    return "datum report at the next second";
  }
  return {};
}

std::string ObedientReceiver::ApplyCca(const ReceivedCommand& c) {
  if (c.kind != ReceivedCommand::Kind::kCcaMessage) return {};
  const std::vector<uint8_t>& m = c.bytes;
  if (m[0] == 0xC0 && m[1] == 0x01) {
    options_.ccaTimeMarks = true;
    return "time-mark output on";
  }
  if (m[0] == 0xC6 && m[1] == 0x02 && m[19] == 0x40) {
    ccaDatum = m[6];
    return "datum " + std::to_string(ccaDatum);
  }
  if (m[0] == 0xC6 && m[19] == 0x01) {
    options_.ccaTimeMarks = false;
    return "reset: time-mark output off";
  }
  return {};
}

}  // namespace sim

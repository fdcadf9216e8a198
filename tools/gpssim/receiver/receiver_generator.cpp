#include "receiver/receiver_generator.h"

#include <algorithm>
#include <string>
#include <utility>

#include "receiver/burst_timing.h"
#include "receiver/cca_frames.h"
#include "receiver/jupiter_messages.h"
#include "receiver/text_receivers.h"

namespace {

Burst TextBurst(double offset, const std::string& text) {
  return Burst{offset, std::vector<uint8_t>(text.begin(), text.end())};
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

ReceiverGenerator::ReceiverGenerator(GeneratorOptions options) : options_(std::move(options)) {}

std::vector<Burst> ReceiverGenerator::BurstsAfterEdge(int64_t edge) const {
  const GeneratorOptions& o = options_;
  // The whole second's output moves together, so the bursts keep their order.
  const BurstTiming timing = TimingOf(o);
  const double shift = BurstShift(timing.spread, edge);
  const double first = std::max(0.0, timing.firstBurst + shift);
  const double mark = std::max(0.0, timing.timeMark + shift);
  switch (o.model) {
    case ReceiverModel::JupiterNmea:
      return {TextBurst(first, sim::JupiterNmeaText(o, edge))};
    case ReceiverModel::JupiterBinary:
      return {Burst{first, Concat(sim::JupiterPositionFrame(o, edge),
                                  sim::JupiterChannelFrame(o, edge))},
              Burst{mark, sim::JupiterTimeMarkFrame(o, edge)}};
    case ReceiverModel::Gt77:
      return {TextBurst(first, sim::Gt77Text(o, edge))};
    case ReceiverModel::Cca370h:
      if (!o.ccaTimeMarks) return {Burst{first, sim::CcaPositionFrame(o, edge)}};
      return {Burst{first, sim::CcaPositionFrame(o, edge)},
              Burst{mark, sim::CcaTimeMarkFrame(o, edge)}};
    case ReceiverModel::Garmin:
      return {TextBurst(first, sim::GarminText(o, edge))};
    case ReceiverModel::MultiGnss:
      return {TextBurst(first, sim::MultiGnssText(o, edge))};
  }
  return {};
}

double ReceiverGenerator::ByteTime(int baud) { return baud > 0 ? 10.0 / baud : 0.0; }

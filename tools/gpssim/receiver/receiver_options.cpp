#include "receiver/receiver_options.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<ReceiverModel, std::string_view>, 6> kNames = {{
    {ReceiverModel::JupiterNmea, "jupiter-nmea"},
    {ReceiverModel::JupiterBinary, "jupiter-binary"},
    {ReceiverModel::Gt77, "gt77"},
    {ReceiverModel::Cca370h, "cca370h"},
    {ReceiverModel::Garmin, "garmin"},
    {ReceiverModel::MultiGnss, "gnss"},
}};

}  // namespace

std::optional<ReceiverModel> ParseReceiverModel(std::string_view name) {
  for (const auto& [model, text] : kNames)
    if (text == name) return model;
  return std::nullopt;
}

std::string_view ReceiverModelName(ReceiverModel model) {
  for (const auto& [m, text] : kNames)
    if (m == model) return text;
  return {};
}

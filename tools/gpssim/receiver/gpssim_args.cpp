#include "receiver/gpssim_args.h"

#include <charconv>
#include <cmath>

namespace {

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  T parsed{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  if constexpr (std::is_floating_point_v<T>) {
    if (!std::isfinite(parsed)) return false;
  }
  value = parsed;
  return true;
}

}  // namespace

std::string GpssimUsage() {
  return "usage: gpssim --receiver jupiter-nmea|jupiter-binary|gt77|cca370h|garmin|gnss\n"
         "              [--offset SECONDS] [--baud N] [--link PATH] [--no-fix]\n"
         "              [--seconds N] [--verbose] [--lat DEG] [--lon DEG]\n"
         "              [--height M] [--geoid M] [--satellites N] [--tokyo-datum] [--gsv]\n"
         "       gpssim --help | --version\n";
}

std::optional<GpssimArgs> ParseGpssimArgs(const std::vector<std::string_view>& args,
                                          std::string& error) {
  GpssimArgs out;
  bool haveReceiver = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view name = args[i];
    if (name == "-h" || name == "--help") { out.help = true; continue; }
    if (name == "--version") { out.version = true; continue; }
    if (name == "--no-fix") { out.generator.fix = false; continue; }
    if (name == "--verbose") { out.verbose = true; continue; }
    if (name == "--tokyo-datum") { out.generator.tokyoDatum = true; continue; }
    if (name == "--gsv") { out.generator.withGsv = true; continue; }
    if (i + 1 >= args.size()) {
      error = "unknown option or missing value: " + std::string(name);
      return std::nullopt;
    }
    const std::string_view value = args[++i];
    bool ok = true;
    if (name == "--receiver") {
      const auto model = ParseReceiverModel(value);
      ok = model.has_value();
      if (ok) out.generator.model = *model;
      haveReceiver = ok;
    } else if (name == "--offset") {
      ok = ParseNumber(value, out.offset) && std::fabs(out.offset) < 1e9;
    } else if (name == "--baud") {
      ok = ParseNumber(value, out.baud) && out.baud >= 300 && out.baud <= 1000000;
    } else if (name == "--link") {
      out.link = std::string(value);
      ok = !out.link.empty();
    } else if (name == "--seconds") {
      ok = ParseNumber(value, out.seconds) && out.seconds >= 0;
    } else if (name == "--lat") {
      ok = ParseNumber(value, out.generator.latitudeDeg) &&
           std::fabs(out.generator.latitudeDeg) <= 90;
    } else if (name == "--lon") {
      ok = ParseNumber(value, out.generator.longitudeDeg) &&
           std::fabs(out.generator.longitudeDeg) <= 180;
    } else if (name == "--height") {
      ok = ParseNumber(value, out.generator.heightMsl) &&
           std::fabs(out.generator.heightMsl) < 100000;
    } else if (name == "--geoid") {
      ok = ParseNumber(value, out.generator.geoidSeparation) &&
           std::fabs(out.generator.geoidSeparation) < 300;
    } else if (name == "--satellites") {
      ok = ParseNumber(value, out.generator.satellites) && out.generator.satellites >= 0 &&
           out.generator.satellites <= 12;
    } else {
      error = "unknown option: " + std::string(name);
      return std::nullopt;
    }
    if (!ok) {
      error = "bad value for " + std::string(name) + ": " + std::string(value);
      return std::nullopt;
    }
  }
  if (!haveReceiver && !out.help && !out.version) {
    error = "--receiver is required";
    return std::nullopt;
  }
  return out;
}

#pragma once
#include <optional>
#include <string_view>

// Standard sentences a text receiver can be told to start or stop.
enum SimSentence : unsigned {
  kSimGga = 1u << 0,
  kSimGsa = 1u << 1,
  kSimGsv = 1u << 2,
  kSimRmc = 1u << 3,
  kSimGll = 1u << 4,
  kSimZda = 1u << 5,
  kSimVtg = 1u << 6,
};

// The receivers the simulator can play, and what they report.
enum class ReceiverModel {
  JupiterNmea,    // Jupiter in NMEA mode: time two seconds behind the pulse it labels
  JupiterBinary,  // Jupiter binary frames 1000, 1002 and the 1108 time mark
  Gt77,           // GT-77: GGA, RMC and the $PFEC time and datum sentences
  Cca370h,        // CCA-370H 7-bit binary position and time-mark frames
  Garmin,         // Garmin: time of the pulse just passed
  MultiGnss,      // multi-constellation receiver ($GN talker, $GPZDA)
};

// Command-line names: jupiter-nmea, jupiter-binary, gt77, cca370h, garmin, gnss.
std::optional<ReceiverModel> ParseReceiverModel(std::string_view name);
std::string_view ReceiverModelName(ReceiverModel model);

struct GeneratorOptions {
  ReceiverModel model = ReceiverModel::Garmin;
  bool fix = true;               // false: no position, time marks flagged invalid
  // Antenna position (Tokyo Station by default).
  double latitudeDeg = 35.681236;   // north positive
  double longitudeDeg = 139.767125; // east positive
  double heightMsl = 40.0;          // metres above mean sea level
  double geoidSeparation = 37.0;    // metres, geoid above the ellipsoid
  int satellites = 8;               // satellites used in the fix (0..12)
  bool tokyoDatum = false;          // report the Tokyo datum instead of WGS-84
  bool withGsv = false;             // Jupiter NMEA: add the $GPGSV sentences
  // What commands change. Jupiter NMEA and GT-77: the standard sentences
  // sent, as SimSentence bits (nothing: the model's own set).
  std::optional<unsigned> sentences;
  bool gt77Tps = true;              // GT-77: the "$PFEC,GPtps" sentence
  int gt77Datum = 0;                // GT-77: datum number reported (0: by tokyoDatum)
  bool ccaTimeMarks = true;         // CCA-370H: the time-mark frames
  // Timing, in seconds after the pulse; unset, the model's own: the first
  // burst of each second, the binary time mark (sent before the pulse it
  // labels), and how far the start of the bursts strays from second to
  // second (one standard deviation; 0 for a fixed timing).
  std::optional<double> firstBurstOffset;
  std::optional<double> timeMarkOffset;
  std::optional<double> burstSpread;
};

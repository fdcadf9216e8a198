#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "receiver/receiver_options.h"

// The command line of the receiver simulator.
struct GpssimArgs {
  GeneratorOptions generator;
  double offset = 0;   // seconds added to the PC clock to give the receiver's time
  int baud = 4800;     // pacing of the bytes on the line
  std::string link;    // symlink to create to the pseudo-terminal, if any
  int seconds = 0;     // run this many seconds; 0 = until a signal
  bool verbose = false;  // print the commands the other side writes, on stderr
  bool help = false;     // print the usage and stop
  bool version = false;  // print the version and stop
};

// Parses the arguments after the program name. On a fault returns nothing and
// puts a one-line message in `error`.
std::optional<GpssimArgs> ParseGpssimArgs(const std::vector<std::string_view>& args,
                                          std::string& error);
std::string GpssimUsage();

#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "receiver/command_reader.h"
#include "receiver/receiver_generator.h"

namespace sim {

// A receiver that obeys what it is sent, as far as its output shows it:
// - Jupiter: "$PRWIIPRO,,RBIN" switches to binary frames, message 1331 back
//   to NMEA; "$PRWIILOG,<GGA|RMC|GSA|GSV>,<A|V>,..." starts or stops a
//   sentence; 1221 sets position pinning and 1211 the datum, which takes
//   effect at the next power-on (kept, not shown).
// - GT-77: "$PFEC,GPint" items (",GGA01", ",tps00", ...) start and stop
//   sentences; "$PFEC,GPset,Gnnn" sets the datum its reports show;
//   "$PFEC,GPsrq" is answered with the datum report at the next second;
//   "$PFEC,GPrrs" sets TRAIM and the 1PPS control (kept, not shown).
// - CCA-370H: the time-mark output request starts the time-mark frames, a
//   reset stops them again; the datum message is kept.
// Anything else, and anything for another kind of receiver, is ignored.
class ObedientReceiver {
 public:
  explicit ObedientReceiver(GeneratorOptions options);

  // Bytes from the program. Returns one line per item taken, saying what it
  // was and what the receiver did with it.
  std::vector<std::string> Receive(const uint8_t* data, size_t size);

  // The bursts after the pulse at `unixSecondOfEdge`, with any answer due.
  std::vector<Burst> BurstsAfterEdge(int64_t unixSecondOfEdge);

  const GeneratorOptions& Options() const { return options_; }
  // What was set but does not show in the output.
  bool pinning = false;
  int pendingDatum = -1;  // Jupiter: for the next power-on
  int traim = 0, ppsControl = 1;
  int ccaDatum = -1;

 private:
  std::string Apply(const ReceivedCommand& command);
  std::string ApplyJupiter(const ReceivedCommand& command);
  std::string ApplyGt77(const ReceivedCommand& command);
  std::string ApplyCca(const ReceivedCommand& command);
  unsigned Sentences() const;

  GeneratorOptions options_;
  CommandReader reader_;
  std::string answer_;  // text sent with the next second's first burst
};

}  // namespace sim

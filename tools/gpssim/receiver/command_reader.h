#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// One thing a receiver was sent, as the receiver takes it apart.
struct ReceivedCommand {
  enum class Kind {
    kText,          // "$..." up to CR LF: `text` without the line end
    kJupiterFrame,  // Jupiter binary message: `id`, `data`
    kCcaMessage,    // CCA-370H 21-byte message: `bytes`
    kBad,           // refused: `fault` says why, `bytes` what was dropped
  };
  Kind kind = Kind::kBad;
  std::string text;
  uint16_t id = 0;
  std::vector<uint16_t> data;
  std::vector<uint8_t> bytes;
  std::string fault;
};

// Splits what the program writes into commands, whatever way the bytes are
// cut up on the line. Text lines begin with '$' and end with LF (CR before
// it is dropped); a "*hh" checksum, when present, must match. Jupiter frames
// begin with FF 81 and must carry good header and data checksums. CCA-370H
// messages begin with C0 or C6, are 21 bytes long and end with DA. Bytes
// before a start are skipped and reported as one bad item.
class CommandReader {
 public:
  std::vector<ReceivedCommand> Feed(const uint8_t* data, size_t size);

 private:
  // Takes one item from the front of pending_; false when more bytes are
  // needed.
  bool TakeOne(std::vector<ReceivedCommand>& out);

  std::vector<uint8_t> pending_;
};

// A line for the simulator's --verbose output.
std::string Describe(const ReceivedCommand& command);

}  // namespace sim

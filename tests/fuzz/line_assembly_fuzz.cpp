// Line assembly under arbitrary receive passes. The first byte picks the
// receiver kind; the rest is the received byte stream, cut into passes whose
// sizes follow from the data. Two assemblers take the same passes, one into a
// SentenceBuffer and one into a record sink, and must agree.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "link/line_assembly.h"
#include "link/sentence_buffer.h"
#include "settings/settings.h"

namespace {

void Require(bool holds, const char* what, std::string_view record = {}) {
  if (holds) return;
  std::fprintf(stderr, "line assembly: %s\n", what);
  if (!record.empty())
    std::fprintf(stderr, "record (%zu bytes): %.*s\n", record.size(),
                 static_cast<int>(record.size()), record.data());
  std::abort();
}

// A record as the dispatcher expects it: a text sentence ('$' or '=') that
// ends with its line end, or a line decoded from a frame ('#'). (Text that
// came in a pass with a byte of 0x80 or above was collected by frame
// assembly and may hold more than one line.)
void CheckRecord(std::string_view record) {
  Require(!record.empty(), "empty record");
  const char lead = record.front();
  Require(lead == '$' || lead == '=' || lead == '#', "record starts with another byte", record);
  if (lead == '#') return;
  Require(record.size() <= LineAssembler::kLineCapacity, "text record longer than a line", record);
  Require(record.back() == '\n', "text record without its line end", record);
}

// Pass sizes and buffer hand-overs from a hash of the stream: mostly small
// passes, some long ones, empty ones, and now and then one longer than a
// line.
class Passes {
 public:
  Passes(const uint8_t* data, size_t size) {
    state_ = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i) state_ = (state_ ^ data[i]) * 1099511628211ull;
    state_ |= 1;
  }
  size_t NextSize() {
    const uint64_t r = Next();
    switch (r % 8) {
      case 0: return 0;
      case 1: case 2: case 3: case 4: return 1 + (r >> 8) % 16;
      case 5: case 6: return 1 + (r >> 8) % 300;
      default: return 1 + (r >> 8) % 1100;
    }
  }
  // Whether the dispatcher takes the buffer's text after this pass; when it
  // does not, the buffer fills up and records are dropped whole.
  bool TakeText() { return Next() % 4 != 0; }

 private:
  uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  uint64_t state_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int kind = data[0] % 5;
  const uint8_t* stream = data + 1;
  const size_t streamSize = size - 1;

  LineAssembler intoBuffer(static_cast<ReceiverKind>(kind));
  LineAssembler intoSink(static_cast<ReceiverKind>(kind));
  SentenceBuffer buffer;
  std::string expected;  // the buffer's text as the sink's records say it must be
  Passes passes(stream, streamSize);
  for (size_t at = 0; at < streamSize;) {
    const size_t pass = std::min(passes.NextSize(), streamSize - at);
    intoBuffer.ChunkReady(stream + at, pass, buffer);
    intoSink.ChunkReady(stream + at, pass, [&expected](std::string_view record) {
      CheckRecord(record);
      if (expected.size() + record.size() <= SentenceBuffer::kCapacity - 1) expected += record;
    });
    at += pass;

    Require(buffer.Text().size() <= SentenceBuffer::kCapacity - 1, "buffer text beyond 1023 chars");
    Require(buffer.Text() == expected, "buffer and record sink disagree");
    Require(intoBuffer.LineLength() <= LineAssembler::kLineCapacity, "line beyond its capacity");
    if (passes.TakeText()) {
      buffer.Clear();
      expected.clear();
    }
  }
  return 0;
}

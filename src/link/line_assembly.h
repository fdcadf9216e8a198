#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "common/receiver_kinds.h"
#include "link/sentence_buffer.h"

// Turns the received bytes of each receive pass into complete records: text
// sentences ('$' or '=' lines, passed with their line end) and the text lines
// decoded from Jupiter and CCA-370H binary frames ("#1000,", "#1108,",
// "#<id>,dummy,").
class LineAssembler {
 public:
  static constexpr size_t kLineCapacity = 1024;
  using RecordSink = std::function<void(std::string_view record)>;

  // The kind decides which frame starts are taken (its table entry).
  explicit LineAssembler(ReceiverKind kind = kJupiter);

  // Empty line, no frame assembly: the state at connect.
  void Reset();

  // One receive pass (normally at most 1024 bytes). Appends each complete
  // record to `out`; a record that does not fit there is dropped whole. A
  // line longer than kLineCapacity is dropped, and only it.
  void ChunkReady(const uint8_t* data, size_t size, SentenceBuffer& out);
  // The same, handing each complete record to `emit`.
  void ChunkReady(const uint8_t* data, size_t size, const RecordSink& emit);

  bool BinaryMode() const { return binaryMode_; }
  size_t LineLength() const { return lineLength_; }

 private:
  enum class FrameType { kJupiter, kCcaTimeMark, kCcaPosition, kForeign };

  void AssembleText(const uint8_t* data, size_t size, const RecordSink& emit);
  void AssembleFrames(const uint8_t* data, size_t size, const RecordSink& emit);
  bool LeadByteStartsFrame(uint8_t byte) const;
  bool SyncWordStartsFrame() const;
  FrameType FrameTypeAt(uint8_t leadByte) const;
  // Decodes the frame at the start of the line once it is complete.
  void TakeFrame(const RecordSink& emit);
  void TakeJupiterFrame(const RecordSink& emit);
  void StartLine();
  void Append(uint8_t byte);
  void Consume(size_t count);

  const ReceiverKindTraits* traits_;
  std::array<uint8_t, kLineCapacity> line_{};
  size_t lineLength_ = 0;
  // The line ran past the capacity; its remaining bytes are passed over.
  bool overLong_ = false;
  bool binaryMode_ = false;
  // The last byte seen by frame assembly was FF while no frame was being
  // assembled; an 81 next (also as the first byte of the next pass) starts a
  // Jupiter frame.
  bool syncPending_ = false;
};

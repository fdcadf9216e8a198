#include "link/line_assembly.h"

#include <cstring>

#include "link/cca_frame.h"
#include "link/jupiter_frame.h"

LineAssembler::LineAssembler(ReceiverKind kind) : traits_(&TraitsOf(kind)) {}

void LineAssembler::Reset() {
  lineLength_ = 0;
  overLong_ = false;
  binaryMode_ = false;
  syncPending_ = false;
}

void LineAssembler::ChunkReady(const uint8_t* data, size_t size, SentenceBuffer& out) {
  ChunkReady(data, size, [&out](std::string_view record) { out.Append(record); });
}

void LineAssembler::ChunkReady(const uint8_t* data, size_t size, const RecordSink& emit) {
  bool asciiOnly = true;
  for (size_t i = 0; i < size && asciiOnly; ++i) asciiOnly = data[i] < 0x80;
  if (!asciiOnly || binaryMode_)
    AssembleFrames(data, size, emit);
  else
    AssembleText(data, size, emit);
}

void LineAssembler::AssembleText(const uint8_t* data, size_t size, const RecordSink& emit) {
  syncPending_ = false;
  for (size_t i = 0; i < size; ++i) {
    Append(data[i]);
    if (data[i] != '\n') continue;
    if (!overLong_ && (line_[0] == '$' || line_[0] == '='))
      emit(std::string_view(reinterpret_cast<const char*>(line_.data()), lineLength_));
    StartLine();
  }
}

// Bytes outside a frame are collected too and are discarded when a frame
// starts. Every frame is decoded as soon as its last byte is in, so a pass
// that carries several frames gives all their records at once.
void LineAssembler::AssembleFrames(const uint8_t* data, size_t size, const RecordSink& emit) {
  for (size_t i = 0; i < size; ++i) {
    const uint8_t byte = data[i];
    if (!binaryMode_) {
      if (byte == kJupiterSyncByte1 && SyncWordStartsFrame()) {
        binaryMode_ = true;
        StartLine();
        Append(kJupiterSyncByte0);
      } else if (LeadByteStartsFrame(byte)) {
        binaryMode_ = true;
        StartLine();
      }
    }
    syncPending_ = !binaryMode_ && byte == kJupiterSyncByte0;
    Append(byte);
    if (binaryMode_) TakeFrame(emit);
  }
}

bool LineAssembler::SyncWordStartsFrame() const { return syncPending_ && traits_->jupiterFrames; }

bool LineAssembler::LeadByteStartsFrame(uint8_t byte) const {
  if (byte != kCcaTimeMarkLead && byte != kCcaPositionLead) return false;
  return traits_->ccaFrames;
}

// A Jupiter receiver sends only Jupiter frames and a CCA-370H only its own,
// so the lead bytes of the other kind (which also occur inside frames) are
// not taken as frames of it.
LineAssembler::FrameType LineAssembler::FrameTypeAt(uint8_t leadByte) const {
  if (traits_->ccaFrames) {
    if (leadByte == kCcaTimeMarkLead) return FrameType::kCcaTimeMark;
    if (leadByte == kCcaPositionLead) return FrameType::kCcaPosition;
  }
  return traits_->jupiterFrames ? FrameType::kJupiter : FrameType::kForeign;
}

void LineAssembler::TakeFrame(const RecordSink& emit) {
  switch (FrameTypeAt(line_[0])) {
    case FrameType::kCcaTimeMark:
      if (lineLength_ < kCcaTimeMarkLength) return;
      emit(CcaTimeMarkRecord(line_.data()));
      Consume(kCcaTimeMarkLength);
      return;
    case FrameType::kCcaPosition: {
      const size_t length = CcaPositionFrameLength(line_.data(), lineLength_);
      if (length == 0) return;
      emit(CcaPositionRecord(line_.data()));
      Consume(length);
      return;
    }
    case FrameType::kJupiter:
      TakeJupiterFrame(emit);
      return;
    case FrameType::kForeign:
      binaryMode_ = false;
      return;
  }
}

// A bad checksum ends frame assembly; the bytes stay in the line until a new
// frame start or a line end replaces them.
void LineAssembler::TakeJupiterFrame(const RecordSink& emit) {
  if (lineLength_ < kJupiterHeaderSize) return;
  if (!JupiterHeaderValid(line_.data())) {
    binaryMode_ = false;
    return;
  }
  const size_t length = JupiterFrameLength(JupiterDataWordCount(line_.data()));
  if (length > kLineCapacity) {  // could never be assembled
    binaryMode_ = false;
    return;
  }
  if (lineLength_ < length) return;
  if (!JupiterDataValid(line_.data(), length)) {
    binaryMode_ = false;
    return;
  }
  emit(JupiterRecord(line_.data(), length));
  Consume(length);
}

void LineAssembler::StartLine() {
  lineLength_ = 0;
  overLong_ = false;
}

// A line or frame that grows past the capacity is dropped: its bytes up to
// its end (a line end, or a frame start) are passed over, and what follows
// is assembled as usual.
void LineAssembler::Append(uint8_t byte) {
  if (overLong_) return;
  if (lineLength_ < kLineCapacity) {
    line_[lineLength_++] = byte;
    return;
  }
  lineLength_ = 0;
  overLong_ = true;
  binaryMode_ = false;
}

void LineAssembler::Consume(size_t count) {
  if (count > lineLength_) count = lineLength_;
  std::memmove(line_.data(), line_.data() + count, lineLength_ - count);
  lineLength_ -= count;
}

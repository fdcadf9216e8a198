#pragma once
#include <cstddef>
#include <cstdint>

#include "common/receiver_kinds.h"
#include "link/edge_reference.h"
#include "link/line_assembly.h"
#include "link/pps_timing_record.h"
#include "link/sentence_buffer.h"
#include "platform/serial_port.h"

// What an edge did: an armed edge was timed (and its marker line appended);
// timeTaken when its receiver time was also taken.
struct EdgeOutcome {
  bool armed = false;
  bool timeTaken = false;
};

// The link side of one receiver connection: received bytes become complete
// lines in the SentenceBuffer, and armed 1PPS edges are timed against the
// interval window and given their PC and receiver times.
class ReceiverLink {
 public:
  explicit ReceiverLink(ReceiverKind kind) : assembler_(kind) {}

  // One receive pass of bytes.
  void OnBytes(const uint8_t* data, size_t size) { assembler_.ChunkReady(data, size, sentenceBuffer); }

  // A DSR change. An armed edge enters the interval statistics and the
  // window; when its time is valid and ready, RxEdgeTime and PcEdgeTime are
  // taken and the edge becomes the reference. Then the marker line "=PPS,,"
  // follows the lines received before it, and the edge is disarmed. Every
  // change marks that a 1PPS is wired.
  EdgeOutcome OnDsrChange(PpsTimingRecord& r, const EdgeCapture& edge, EdgeReference& reference);

  // Complete lines waiting for the dispatcher.
  SentenceBuffer sentenceBuffer;
  // Receiver and PC time of the last taken edge (NTP seconds).
  double RxEdgeTime = 0;
  double PcEdgeTime = 0;
  // The port has no modem lines; told once per connection.
  bool NoModemLinesReported = false;

 private:
  LineAssembler assembler_;
};

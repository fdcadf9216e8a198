#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/receiver_kinds.h"
#include "link/counter_scale.h"
#include "link/edge_reference.h"
#include "link/text_burst.h"
#include "link/line_assembly.h"
#include "link/pps_timing_record.h"
#include "link/pulse_edges.h"
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
  ReceiverLink(ReceiverKind kind, const CounterScale& counter)
      : counter_(counter), assembler_(kind), pulseEdges_(counter) {}

  // One receive pass of bytes, read at `arrival`. Bytes that come after a
  // pause start a new burst; the records they complete are noted with the
  // burst's first arrival.
  void OnBytes(const uint8_t* data, size_t size, const CounterCapture& arrival);
  // The same, arriving now (tests).
  void OnBytes(const uint8_t* data, size_t size);

  // A DSR change. Only the leading edge of a pulse is an edge (see
  // PulseEdges); every change marks that a 1PPS is wired. An armed edge
  // enters the interval statistics and the window; when its time is valid
  // and ready, RxEdgeTime and PcEdgeTime are taken and the edge becomes the
  // reference. Then the marker line "=PPS,," follows the lines received
  // before it, and the edge is disarmed.
  EdgeOutcome OnDsrChange(PpsTimingRecord& r, const EdgeCapture& edge, EdgeReference& reference);

  // A pause this long between two arrivals separates two bursts.
  static constexpr double kBurstGapSeconds = 0.05;

  // Complete lines waiting for the dispatcher, and where each stretch of
  // them came from: the offset of its first record in the text and the first
  // arrival of its burst. Taken and emptied together.
  SentenceBuffer sentenceBuffer;
  std::vector<TextBurst> textBursts;
  void ClearText() {
    sentenceBuffer.Clear();
    textBursts.clear();
  }
  // Receiver and PC time of the last taken edge (NTP seconds).
  double RxEdgeTime = 0;
  double PcEdgeTime = 0;
  // The PC time of the last taken edge at the clock's full resolution (0:
  // the capture had only the milliseconds).
  double PcEdgeFine = 0;
  // The port has no modem lines; told once per connection.
  bool NoModemLinesReported = false;

 private:
  const CounterScale& counter_;
  LineAssembler assembler_;
  bool arrived_ = false;
  CounterCapture lastArrival_;
  CounterCapture burstStart_;
  PulseEdges pulseEdges_;
};

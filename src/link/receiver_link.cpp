#include "link/receiver_link.h"

#include "common/time_arithmetic.h"
#include "link/receiver_second.h"

namespace {

void AddIntervalSample(PpsTimingRecord& r) {
  r.IntervalCount += 1;
  const double d = static_cast<double>(r.EdgeInterval) - r.IntervalMean;
  r.IntervalMean += d / r.IntervalCount;
  r.IntervalM2 += d * d * (r.IntervalCount - 1) / r.IntervalCount;
  r.Recent.Add(r.EdgeInterval);
}

}  // namespace

void ReceiverLink::OnBytes(const uint8_t* data, size_t size, const CounterCapture& arrival) {
  if (!arrived_ || counter_.SecondsBetween(lastArrival_.counter, arrival.counter) > kBurstGapSeconds) {
    burstStart_ = arrival;
  }
  arrived_ = true;
  lastArrival_ = arrival;
  const size_t before = sentenceBuffer.Text().size();
  assembler_.ChunkReady(data, size, sentenceBuffer);
  if (sentenceBuffer.Text().size() == before) return;
  if (textBursts.empty() || textBursts.back().start.counter != burstStart_.counter) {
    textBursts.push_back({before, burstStart_});
  }
}

void ReceiverLink::OnBytes(const uint8_t* data, size_t size) {
  CounterCapture now;
  now.counter = counter_.Now();
  OnBytes(data, size, now);
}

EdgeOutcome ReceiverLink::OnDsrChange(PpsTimingRecord& r, const EdgeCapture& edge,
                                      EdgeReference& reference) {
  EdgeOutcome outcome;
  const bool leading = pulseEdges_.IsLeadingEdge(edge, arrived_ ? &burstStart_ : nullptr);
  r.PpsSeen = true;
  if (!leading || !r.PpsArmed) return outcome;
  outcome.armed = true;
  r.PrevEdgeCount = r.EdgeCount;
  r.EdgeCount = edge.counter;
  r.EdgeInterval = r.EdgeCount - r.PrevEdgeCount;  // unsigned: one wrap is fine
  if (r.EdgeInterval < r.IntervalStatsLimit) AddIntervalSample(r);
  if (r.EdgeInterval < r.IntervalMin || r.EdgeInterval > r.IntervalMax) r.TimeValid = false;

  if (r.TimeValid && r.TimeReady) {
    PcEdgeTime = LocalTimeToNtpSeconds(edge.pcLocal, r.TimeZone);
    PcEdgeFine = edge.pcNtp;
    RxEdgeTime = ReceiverSecondNtp(r, PcEdgeTime);
    reference.LastEdgeCount = r.EdgeCount;
    NtpTimestampEncode(RxEdgeTime, reference.EdgeNtpTime);
    outcome.timeTaken = true;
  }
  sentenceBuffer.Append("=PPS,,");
  r.PpsArmed = false;
  return outcome;
}

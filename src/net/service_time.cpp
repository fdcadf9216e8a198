#include "net/service_time.h"

#include "common/time_arithmetic.h"

double CountSpan(const CounterScale& counter, uint32_t from, uint32_t to) {
  const uint32_t counts = to - from;
  const uint32_t frequency = counter.CounterFrequency();
  return frequency != 0 ? static_cast<double>(counts) / frequency : counts * 0.001;
}

ServiceInstant PpsNow(const ServiceClock& c) {
  const uint32_t count = c.counter.Now();
  const double edge = NtpTimestampDecode(c.edge.EdgeNtpTime, c.clock.ReadNtpSeconds());
  return {edge + CountSpan(c.counter, c.edge.LastEdgeCount, count), count};
}

ServiceInstant ServiceNow(const ServiceClock& c, TimeSource source) {
  if (source == TimeSource::kReceiverPps) return PpsNow(c);
  const uint32_t count = c.counter.Now();
  return {c.clock.ReadNtpSeconds(), count};
}

#include "platform/linux/serial_hand_over.h"

#include <algorithm>
#include <utility>

bool SerialHandOver::PushBytes(const uint8_t* data, size_t size, const CounterCapture& arrival) {
  std::lock_guard lock(mutex_);
  const size_t room = kMaxWaitingBytes - std::min(bytes_.size(), kMaxWaitingBytes);
  const size_t kept = std::min(size, room);
  bytes_.insert(bytes_.end(), data, data + kept);
  if (kept > 0) reads_.push_back({bytes_.size(), arrival});
  if (kept < size) {
    dropped_ += size - kept;
    dropUntold_ = true;
  }
  MarkDropIfDue();
  return !std::exchange(deliveryPending_, true);
}

void SerialHandOver::MarkDropIfDue() {
  if (!dropUntold_ || dropMarked_) return;
  const Clock::time_point now = now_();
  if (everTold_ && now - lastNotice_ < kDropNoticeGap) return;
  dropMarked_ = true;
  dropUntold_ = false;
  everTold_ = true;
  lastNotice_ = now;
  markers_.push_back({bytes_.size(), Kind::Dropped, {}});
}

bool SerialHandOver::PushEdge(const EdgeCapture& edge) {
  std::lock_guard lock(mutex_);
  return AddMarker(Kind::Edge, edge);
}

bool SerialHandOver::PushNoModemLines() {
  std::lock_guard lock(mutex_);
  return AddMarker(Kind::NoModemLines, {});
}

bool SerialHandOver::PushPortLost(const std::string& reason) {
  std::lock_guard lock(mutex_);
  lostReason_ = reason;
  return AddMarker(Kind::PortLost, {});
}

bool SerialHandOver::AddMarker(Kind kind, const EdgeCapture& edge) {
  MarkDropIfDue();
  markers_.push_back({bytes_.size(), kind, edge});
  return !std::exchange(deliveryPending_, true);
}

void SerialHandOver::Deliver(SerialEventSink& sink, const std::atomic<bool>& alive) {
  if (!alive) return;
  std::vector<uint8_t> bytes;
  std::vector<Read> reads;
  std::vector<Marker> markers;
  std::string lostReason;
  uint64_t dropped = 0;
  {
    std::lock_guard lock(mutex_);
    bytes.swap(bytes_);
    reads.swap(reads_);
    markers.swap(markers_);
    lostReason = lostReason_;
    // The bytes lost since the previous notice, up to this delivery.
    dropped = dropped_ - droppedTold_;
    if (dropMarked_) {
      droppedTold_ = dropped_;
      dropMarked_ = false;
      dropUntold_ = false;
    }
    deliveryPending_ = false;
  }
  // The reads cover the bytes one after the other; a marker never falls
  // inside one.
  size_t at = 0;
  size_t read = 0;
  const auto bytesUpTo = [&](size_t end) {
    while (at < end && alive) {
      while (reads[read].end <= at) ++read;
      const size_t n = std::min({end, reads[read].end, at + kMaxPass}) - at;
      sink.OnBytes(bytes.data() + at, n, &reads[read].arrival);
      at += n;
    }
    return alive.load();
  };
  for (const Marker& m : markers) {
    if (!bytesUpTo(m.after)) return;
    switch (m.kind) {
      case Kind::Edge:
        sink.OnDsrChange(m.edge);
        break;
      case Kind::NoModemLines:
        sink.OnNoModemLines();
        break;
      case Kind::PortLost:
        sink.OnPortLost(lostReason);
        break;
      case Kind::Dropped:
        sink.OnBytesDropped(dropped);
        break;
    }
  }
  bytesUpTo(bytes.size());
}

uint64_t SerialHandOver::Dropped() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

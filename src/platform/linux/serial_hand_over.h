#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/serial_port.h"

// The events of one open, handed from the port's workers to the main thread.
//
// Received bytes, DSR edges and the other events all go into this one queue,
// each at the moment it happened, under one lock; the main thread takes the
// whole queue at once and hands it to the sink in the same order. So an edge
// captured after some bytes were read reaches the sink after those bytes, and
// bytes read after it after it, however the two workers and the main loop are
// scheduled. (Posting edges on their own beside the queue could not promise
// that: a delivery posted earlier may run later than, or carry bytes read
// after, an edge posted meanwhile.)
//
// Each read keeps the arrival its worker captured, and is handed to the sink
// as its own pass with it, however many reads wait: so where each burst began
// is known also when the main loop lags.
//
// A delivery is posted only when the queue goes from taken to not taken, so at
// most one waits in the main loop however fast bytes come. Bytes beyond
// kMaxWaitingBytes waiting are dropped and counted; far more than any
// receiver sends between two turns of a live main loop. A loss is told where
// it began, and a later loss again, at most once per kDropNoticeGap, with the
// bytes lost since the previous notice; a loss within the gap is told with
// the first event pushed after it.
class SerialHandOver {
 public:
  static constexpr size_t kMaxWaitingBytes = 64 * 1024;
  static constexpr size_t kMaxPass = 1024;  // what OnBytes promises
  static constexpr std::chrono::seconds kDropNoticeGap{60};
  using Clock = std::chrono::steady_clock;

  explicit SerialHandOver(std::function<Clock::time_point()> now = Clock::now)
      : now_(std::move(now)) {}

  // Worker side. Each returns true when the caller must post a delivery.
  // One read of bytes, captured at `arrival`.
  bool PushBytes(const uint8_t* data, size_t size, const CounterCapture& arrival);
  bool PushEdge(const EdgeCapture& edge);
  bool PushNoModemLines();
  bool PushPortLost(const std::string& reason);

  // Main thread: takes everything waiting and hands it to the sink in order,
  // each read in passes of its own of at most kMaxPass, with its arrival.
  // Stops as soon as alive goes false, which Close() does, from the sink too.
  void Deliver(SerialEventSink& sink, const std::atomic<bool>& alive);

  // Bytes dropped in this open so far.
  uint64_t Dropped() const;

 private:
  enum class Kind { Edge, NoModemLines, PortLost, Dropped };
  // A non-byte event and how many of the waiting bytes came before it.
  struct Marker {
    size_t after;
    Kind kind;
    EdgeCapture edge;
  };
  // Where a read's kept bytes end among the waiting bytes, and its arrival.
  struct Read {
    size_t end;
    CounterCapture arrival;
  };
  // With the lock held.
  bool AddMarker(Kind kind, const EdgeCapture& edge);
  // With the lock held: marks a loss not yet told, when the gap allows.
  void MarkDropIfDue();

  mutable std::mutex mutex_;
  std::vector<uint8_t> bytes_;
  std::vector<Read> reads_;
  std::vector<Marker> markers_;
  std::string lostReason_;
  std::function<Clock::time_point()> now_;
  uint64_t dropped_ = 0;
  uint64_t droppedTold_ = 0;  // dropped_ as of the last notice taken
  bool dropMarked_ = false;   // a notice waits in markers_
  bool dropUntold_ = false;   // bytes dropped that no notice covers yet
  bool everTold_ = false;
  Clock::time_point lastNotice_{};
  // A delivery is posted and has not yet taken the queue. Kept under the lock
  // with the queue: taking and clearing must be one step, or bytes pushed
  // between them would wait for the next event.
  bool deliveryPending_ = false;
};

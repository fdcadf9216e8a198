#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/local_time.h"
#include "platform/serial_line.h"

// What a worker captured as the very first action after its wait returned:
// the counter and the PC clock, read together.
struct CounterCapture {
  uint32_t counter = 0;    // low 32 bits of the counter (or the ms tick count)
  LocalTimeRecord pcLocal; // the PC's local time at the same moment
  double pcNtp = 0;        // the same at the clock's full resolution, NTP seconds (0: not read)
};

// A DSR change: the capture, and what the line did.
struct EdgeCapture : CounterCapture {
  // The line's level read at the wake-up (true: asserted).
  bool dsrAsserted = true;
  // DSR changes the driver counted since the previous wake-up; 0 when it
  // cannot tell. Two (or any even number) with the level back where it was
  // is a pulse too short for two wake-ups.
  uint32_t dsrChanges = 0;
};

// Events of an open port. The adapter delivers them on the main thread, in
// the order they happened, and never after Close() has returned.
class SerialEventSink {
 public:
  virtual ~SerialEventSink() = default;
  virtual void OnDsrChange(const EdgeCapture& edge) = 0;
  // One receive pass: at most 1024 bytes, read by the worker at `arrival`
  // (captured before the read, as soon as the wait for bytes returned).
  // nullptr: not captured; the delivery stands for the arrival.
  virtual void OnBytes(const uint8_t* data, size_t size, const CounterCapture* arrival) = 0;
  void OnBytes(const uint8_t* data, size_t size) { OnBytes(data, size, nullptr); }
  // Received bytes were dropped because the main thread fell far behind.
  // Told in its place among the other events, when bytes are first lost and
  // for each later loss at most once a minute; `dropped` counts the bytes
  // lost since the previous notice.
  virtual void OnBytesDropped(uint64_t dropped) { (void)dropped; }
  // The device has no modem-line support: no 1PPS will come. Told once.
  virtual void OnNoModemLines() = 0;
  // The device went away (unplugged); both workers have ended. `reason` is
  // Japanese text for the user ("回線が切断されました" on a hang-up).
  virtual void OnPortLost(const std::string& reason) = 0;
};

class SerialPort {
 public:
  enum class OpenResult { Ok, OpenFailed, ConfigureFailed };
  virtual ~SerialPort() = default;
  // Opens COM1..COM4 by line.portIndex exclusively, configures the line,
  // raises DTR, flushes both queues and starts the workers. On
  // ConfigureFailed, errorText holds the system's error text.
  virtual OpenResult Open(const SerialLine& line, SerialEventSink& sink,
                          std::string& errorText) = 0;
  virtual bool IsOpen() const = 0;
  // The outcome of one write: ok, or the system's error code (0 when there
  // is none to tell).
  struct WriteResult {
    bool ok = false;
    unsigned error = 0;
  };
  using WriteDone = std::function<void(const WriteResult&)>;
  // Queues bytes for the receiver and returns at once. The writes go out one
  // at a time in the order queued, each given up after a second without
  // progress. Each outcome reaches `done` on the main thread, in order, and
  // never after Close() has returned. False, with `done` never called, when
  // no port is open.
  virtual bool Write(std::vector<uint8_t> bytes, WriteDone done) = 0;
  // Stops the workers (promptly, even while they wait), lowers DTR, flushes
  // and closes. Safe to call when not open.
  virtual void Close() = 0;
};

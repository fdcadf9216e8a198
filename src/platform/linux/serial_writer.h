#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_port.h"

// The write side of an open port: one worker takes the queued writes in
// order and puts each on the non-blocking descriptor, waiting for room with
// poll, so the main loop never waits for the line. A write that has not
// finished after kTimeoutMs fails with ETIMEDOUT. A text command cut short
// that way gets its line ended with CR LF (at once if there is room, else
// ahead of the next write), so the receiver drops it as a broken line instead
// of gluing it to the next command.
class SerialWriter {
 public:
  static constexpr int kTimeoutMs = 1000;
  // Called on the worker with each write's outcome, in order.
  using Report = std::function<void(SerialPort::WriteDone, SerialPort::WriteResult)>;

  SerialWriter() = default;
  ~SerialWriter();
  SerialWriter(const SerialWriter&) = delete;
  SerialWriter& operator=(const SerialWriter&) = delete;

  // Starts the worker on `fd` (not owned). False with the reason on failure.
  bool Start(int fd, Report report, std::string& errorText);
  void Queue(std::vector<uint8_t> bytes, SerialPort::WriteDone done);
  // Ends the worker promptly, also in the middle of a write; what is still
  // queued is dropped and not reported.
  void Stop();

 private:
  struct Item {
    std::vector<uint8_t> bytes;
    SerialPort::WriteDone done;
  };
  void Run();
  using Deadline = std::chrono::steady_clock::time_point;
  // Writes one command, after any line end still owed. 0, or the errno value
  // that ended the write.
  unsigned WriteCommand(const std::vector<uint8_t>& bytes);
  // Puts bytes [done, size) on the descriptor, advancing `done`, until all
  // are out or `deadline` passes. 0, or the errno value that ended it.
  unsigned Put(const std::vector<uint8_t>& bytes, size_t& done, Deadline deadline);

  int fd_ = -1;
  int wakeFd_ = -1;  // eventfd that ends a wait for room
  Report report_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Item> queue_;
  std::vector<uint8_t> owedLineEnd_;  // worker only
  bool stopping_ = false;
};

#pragma once
#include <pthread.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/counter.h"
#include "platform/linux/serial_hand_over.h"
#include "platform/linux/serial_modem_line_waiter.h"
#include "platform/linux/serial_writer.h"
#include "platform/main_thread_poster.h"
#include "platform/pc_clock.h"
#include "platform/serial_port.h"

// The receiver port on Linux. Two workers run while it is open: one waits for
// DSR changes and captures the counter and the PC clock at each, then the
// line's level and the driver's count of changes; the other captures the
// same as soon as received bytes are there, then reads them. Both only
// capture and hand over; the events reach the sink on the main thread, in
// order, through the poster. A third worker puts the queued writes on the
// line and posts their outcomes the same way.
class LinuxSerialPort : public SerialPort {
 public:
  // waiter: the DSR wait to use (tests); nullptr for the real ioctl. Not owned.
  LinuxSerialPort(Counter& counter, PcClock& clock, MainThreadPoster& poster,
                  ModemLineWaiter* waiter = nullptr);
  ~LinuxSerialPort() override;
  LinuxSerialPort(const LinuxSerialPort&) = delete;
  LinuxSerialPort& operator=(const LinuxSerialPort&) = delete;

  OpenResult Open(const SerialLine& line, SerialEventSink& sink,
                  std::string& errorText) override;
  bool IsOpen() const override;
  bool Write(std::vector<uint8_t> bytes, WriteDone done) override;
  void Close() override;
  // Received bytes dropped in the current open (0 when not open).
  uint64_t DroppedBytes() const;

 private:
  // One open: the sink, whether the open is still alive, and the events
  // waiting for the main thread. Shared with the posted deliveries, so they
  // never touch this object.
  struct Session {
    explicit Session(SerialEventSink& s) : sink(&s) {}
    SerialEventSink* sink;
    std::atomic<bool> alive{true};
    SerialHandOver handOver;
  };

  bool StartWorkers(std::string& errorText);
  void RunDsrWorker(bool useTickCount);
  void RunReceiveWorker(bool useTickCount);
  // The counter (or the ms tick count) and the PC clock, read together.
  CounterCapture Capture(bool useTickCount);
  // Posts a delivery when a push asks for one (see SerialHandOver).
  void PostDeliveryIf(bool needed);
  void ReportPortLost(const std::string& reason);
  void StopDsrWorker();
  void ReleaseDevice();

  Counter& counter_;
  PcClock& clock_;
  MainThreadPoster& poster_;
  IoctlModemLineWaiter ioctlWaiter_;
  ModemLineWaiter& waiter_;

  int fd_ = -1;
  int wakeFd_ = -1;  // eventfd that ends the receive worker's poll
  std::shared_ptr<Session> session_;
  SerialWriter writer_;
  std::thread dsrThread_;
  std::thread receiveThread_;
  pthread_t dsrHandle_{};
  std::atomic<bool> stopping_{false};
  std::atomic<bool> dsrLeft_{true};
  std::atomic<bool> portLost_{false};
};

#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/log_sink.h"
#include "common/status_sink.h"
#include "platform/serial_port.h"

// The one way to write to the receiver: the bytes go to the port's write
// queue exactly as given. A write that fails is told on the status bar, with
// the system's error code as "[CE-%u]" when there is one, and logged.
class CommandTransmitter {
 public:
  CommandTransmitter(SerialPort& port, StatusSink& status, LogSink& log)
      : port_(port), status_(status), log_(log) {}

  // `done(sent)` follows on the main loop once the write has ended; without
  // an open port it is called at once with false.
  void WriteCommand(std::vector<uint8_t> bytes, std::function<void(bool sent)> done);

 private:
  void ReportFailure(unsigned error);

  SerialPort& port_;
  StatusSink& status_;
  LogSink& log_;
};

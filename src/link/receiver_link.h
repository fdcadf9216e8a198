#pragma once
#include <string>

#include "link/line_assembly.h"
#include "platform/serial_port.h"

class App;

// The core's side of an open receiver port: takes the posted edge captures
// and received bytes on the main thread, in the order they happened.
class ReceiverLink : public SerialEventSink {
 public:
  explicit ReceiverLink(App& app) : app_(app) {}

  // A connection starts (the port is opened and closed by the caller).
  void Start();

  void OnDsrChange(const EdgeCapture& edge) override;
  void OnBytes(const uint8_t* data, size_t size) override;
  void OnNoModemLines() override;
  void OnPortLost(const std::string& reason) override;

  // Receiver and PC time of the last taken edge (NTP seconds).
  double RxEdgeTime = 0;
  double PcEdgeTime = 0;

 private:
  App& app_;
  LineAssembler assembler_;
  bool noModemLinesLogged_ = false;
};

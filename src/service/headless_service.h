#pragma once
#include <QObject>
#include <cstdint>
#include <string>

class App;

// Drives the core without a window: starts as the main window's first
// showing does and connects at once as "接続(&G)" would (in network mode also
// pressing "同期" once, so the clock is set now rather than at the first
// scheduled mark), runs the 100 ms tick, and on Stop disconnects and writes
// the closing lines. A receiver port that cannot be opened at start ends the
// run with status 1, so that a service manager tries again later (a USB
// receiver may not be there yet at boot), and so does a port lost while
// connected (unplugged). Status bar texts that are not log lines go to
// standard error too, so a failed connection is seen, and so does a line on
// the clock once a minute.
class HeadlessService : public QObject {
  Q_OBJECT
 public:
  explicit HeadlessService(App& app, QObject* parent = nullptr);
  ~HeadlessService() override;

  void Start();
  // Ends the run once (later calls do nothing) and leaves the event loop
  // with the given exit status.
  void Stop(int exitStatus = 0);
  // Runs after every timer on the main loop; acts only after a tick.
  void AfterTimer();

 private:
  void ReportStatus();
  static constexpr uint64_t kTicksPerMinute = 600;

  App& app_;
  uint64_t seenTicks_ = 0;
  bool stopped_ = false;
  std::string shownStatus_;
};

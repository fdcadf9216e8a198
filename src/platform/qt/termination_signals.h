#pragma once
#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP as a Qt signal on the main loop: the handler
// only writes the signal's number to a pipe (self-pipe); the main loop reads
// it. A SIGHUP ignored when the process started (nohup) stays ignored.
// One instance per process.
class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;
  // False when the pipe or the handlers could not be set up.
  bool Installed() const { return notifier_ != nullptr; }

 signals:
  void Received(int signalNumber);

 private:
  void Drain();

  QSocketNotifier* notifier_ = nullptr;
  bool hangUpCaught_ = false;
};

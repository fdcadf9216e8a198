#pragma once
#include <QObject>
#include <QTimer>

class App;

// Drives the core without a window: starts as the main window's first
// showing does and connects at once as "接続(&G)" would, runs the 100 ms
// tick, and on Stop disconnects and writes the closing lines.
class HeadlessService : public QObject {
  Q_OBJECT
 public:
  explicit HeadlessService(App& app, QObject* parent = nullptr);
  ~HeadlessService() override;

  void Start();
  // Ends the run once (later calls do nothing) and quits the event loop.
  void Stop();

 private:
  void Tick();

  App& app_;
  QTimer tickTimer_;
  bool stopped_ = false;
};

#include "service/headless_service.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "service/headless_adapters.h"

HeadlessService::HeadlessService(App& app, QObject* parent) : QObject(parent), app_(app) {}

// FormDestroy stops the tick.
HeadlessService::~HeadlessService() { FormDestroy(app_); }

void HeadlessService::Start() {
  FormCreate(app_);
  StartRunning(app_);
  ButtonConnectClick(app_);
  AskServerNow(app_, kSendByButton);  // with the own protocol, once its handshake is answered
  ReportStatus();
  if (app_.settings.Port != kNetworkPort && !app_.platform.serialPort.IsOpen()) {
    WriteStderrLine("quor: the receiver's port could not be opened; ending with status 1");
    // Once the event loop runs: leaving it before it has started does nothing.
    QTimer::singleShot(0, this, [this] { Stop(1); });
  }
}

void HeadlessService::Stop(int exitStatus) {
  if (stopped_) return;
  stopped_ = true;
  if (app_.Connected()) ButtonConnectClick(app_);  // "接続終了", the port is released
  StopRunning(app_);  // the tick stops, "Quor運用終了", the log file is closed
  QCoreApplication::exit(exitStatus);
}

void HeadlessService::AfterTimer() {
  if (app_.tick.Count == seenTicks_) return;
  seenTicks_ = app_.tick.Count;
  ReportStatus();
  // A receiver that went away (a USB receiver unplugged) ends the run as a
  // port missing at start does, so the service manager reopens it once it
  // is back.
  if (app_.Receiver() && app_.Receiver()->PortLost && !stopped_) {
    WriteStderrLine("quor: the receiver's port was lost; ending with status 1");
    Stop(1);
  }
}

void HeadlessService::ReportStatus() {
  const std::string& text = app_.view.StatusBar;
  if (text == shownStatus_) return;
  shownStatus_ = text;
  // Many texts are shown and logged alike; those are on standard error already.
  const auto& memo = app_.log.MemoLog();
  const auto recent = memo.end() - std::min<std::ptrdiff_t>(memo.size(), 8);
  if (text.empty() || std::find(recent, memo.end(), text) != memo.end()) return;
  WriteStderrLine("状態: " + text);
}

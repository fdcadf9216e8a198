#include "service/headless_service.h"

#include <QCoreApplication>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "app/tick.h"

HeadlessService::HeadlessService(App& app, QObject* parent) : QObject(parent), app_(app) {
  tickTimer_.setTimerType(Qt::PreciseTimer);
  tickTimer_.setInterval(100);
  connect(&tickTimer_, &QTimer::timeout, this, &HeadlessService::Tick);
}

HeadlessService::~HeadlessService() {
  tickTimer_.stop();
  FormDestroy(app_);
}

void HeadlessService::Start() {
  FormCreate(app_);
  if (FormShow(app_)) tickTimer_.start();
  ButtonConnectClick(app_);
}

void HeadlessService::Stop() {
  if (stopped_) return;
  stopped_ = true;
  tickTimer_.stop();
  if (app_.tick.Connected) ButtonConnectClick(app_);  // "接続終了", the port is released
  FormCloseQuery(app_);                               // "Quor運用終了", the log file is closed
  QCoreApplication::quit();
}

void HeadlessService::Tick() { TickProc(app_); }

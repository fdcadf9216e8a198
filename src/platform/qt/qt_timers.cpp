#include "platform/qt/qt_timers.h"

#include <QTimer>

QtTimers::~QtTimers() {
  for (auto& [id, timer] : pending_) delete timer;
}

Timers::Id QtTimers::Start(int ms, std::function<void()> fn) {
  const Id id = nextId_++;
  auto* timer = new QTimer(parent_);
  timer->setSingleShot(true);
  timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer, &QTimer::timeout, timer, [this, id, timer, fn = std::move(fn)] {
    pending_.erase(id);
    timer->deleteLater();
    fn();
    if (afterEach_) afterEach_();
  });
  pending_.emplace(id, timer);
  timer->start(ms < 0 ? 0 : ms);
  return id;
}

Timers::Id QtTimers::StartRepeating(int ms, std::function<void()> fn) {
  const Id id = nextId_++;
  auto* timer = new QTimer(parent_);
  timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer, &QTimer::timeout, timer, [this, fn = std::move(fn)] {
    // fn may cancel this timer; the timer is then deleted later, so the
    // running lambda stays valid.
    fn();
    if (afterEach_) afterEach_();
  });
  pending_.emplace(id, timer);
  timer->start(ms < 1 ? 1 : ms);
  return id;
}

void QtTimers::Cancel(Id id) {
  const auto it = pending_.find(id);
  if (it == pending_.end()) return;
  it->second->stop();
  it->second->deleteLater();
  pending_.erase(it);
}

#include "platform/qt/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace {

int gPipe[2] = {-1, -1};

void OnSignal(int number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  // A full pipe already holds a wake-up; the byte may be dropped.
  [[maybe_unused]] const ssize_t n = write(gPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction sa{};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  if (sigaction(SIGTERM, &sa, nullptr) != 0 || sigaction(SIGINT, &sa, nullptr) != 0) return;
  // A closed terminal or session ends the program as SIGTERM does.
  struct sigaction before{};
  if (sigaction(SIGHUP, nullptr, &before) != 0) return;
  if (before.sa_handler != SIG_IGN) {
    if (sigaction(SIGHUP, &sa, nullptr) != 0) return;
    hangUpCaught_ = true;
  }
  notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Drain);
}

TerminationSignals::~TerminationSignals() {
  // Back to the default action before the pipe goes.
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  if (hangUpCaught_) signal(SIGHUP, SIG_DFL);
  for (int& fd : gPipe) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

void TerminationSignals::Drain() {
  unsigned char bytes[16];
  for (;;) {
    const ssize_t n = read(gPipe[0], bytes, sizeof bytes);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    for (ssize_t i = 0; i < n; ++i) emit Received(bytes[i]);
  }
}

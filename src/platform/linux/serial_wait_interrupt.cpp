#include "platform/linux/serial_wait_interrupt.h"

#include <signal.h>

#include <mutex>

namespace {

int InterruptSignal() { return SIGRTMIN + 4; }

void IgnoreInterrupt(int) {}

}  // namespace

void InstallWaitInterruptHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_handler = IgnoreInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: the interrupted wait must return
    sigaction(InterruptSignal(), &action, nullptr);
  });
}

void AllowWaitInterrupt() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, InterruptSignal());
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void InterruptWait(pthread_t thread) { pthread_kill(thread, InterruptSignal()); }

#pragma once
#include <pthread.h>

// Ends a blocking wait on another thread (a modem-line wait has neither a
// time-out nor a wake-up of its own) by sending it a signal whose handler
// does nothing and is installed without SA_RESTART, so the wait returns EINTR.

// Installs the handler once per process. Call before the waiting thread starts.
void InstallWaitInterruptHandler();
// Unblocks the signal for the calling thread (threads inherit their creator's mask).
void AllowWaitInterrupt();
// Sends the signal to thread. A signal that arrives just before the thread
// enters its wait is lost, so callers repeat until the thread has left.
void InterruptWait(pthread_t thread);

#pragma once
// Test binaries that use the real clock adapter drop the right to set the
// clock first thing, so that no test can step this machine's clock, even when
// run by hand as root without capsh.
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

inline void DropClockRight() {
  prctl(PR_CAPBSET_DROP, CAP_SYS_TIME, 0, 0, 0);
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  if (syscall(SYS_capget, &header, data) != 0) return;
  const unsigned bit = 1u << (CAP_SYS_TIME % 32);
  auto& word = data[CAP_SYS_TIME / 32];
  word.effective &= ~bit;
  word.permitted &= ~bit;
  word.inheritable &= ~bit;
  if (syscall(SYS_capset, &header, data) != 0 && (word.effective & bit)) {
    std::fprintf(stderr, "cannot drop CAP_SYS_TIME; refusing to run\n");
    std::abort();
  }
}

struct ClockRightDropper {
  ClockRightDropper() { DropClockRight(); }
};

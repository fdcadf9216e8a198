#include "net/ntp_schedule.h"

void NtpSchedule::Start(int minute) {
  const int next = (minute + 5) / 5 * 5;
  NextNtpMinute = next == 60 ? 0 : next;
}

bool NtpSchedule::Due(int minute, int second, int ntpIntv) {
  if (ntpIntv == 0 || second != 0 || minute % 5 != 0 || minute != NextNtpMinute) return false;
  NextNtpMinute = NextNtpMinute + 5 >= 60 ? 0 : NextNtpMinute + 5;
  return ++NtpRequestCount >= ntpIntv / 5;
}

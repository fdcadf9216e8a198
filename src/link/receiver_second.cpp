#include "link/receiver_second.h"

#include "common/time_arithmetic.h"

double ReceiverSecondNtp(const PpsTimingRecord& r, double pcNtpSeconds) {
  if (!r.ReceiverDateKnown) {
    return NearestDayTime(pcNtpSeconds, r.LocalHour, r.Minute, r.Second, r.TimeZone);
  }
  const double held =
      static_cast<double>(DayNumber(r.UtcYear, r.UtcMonth, r.UtcDay)) * 86400.0 + r.DateTimeOfDay;
  const int64_t timeOfDay = int64_t{r.UtcHour} * 3600 + int64_t{r.Minute} * 60 + r.Second;
  return NearestWithTimeOfDay(held, timeOfDay);
}

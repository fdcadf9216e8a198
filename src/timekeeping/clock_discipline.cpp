#include "timekeeping/clock_discipline.h"

#include <cmath>
#include <cstdlib>

#include "common/text_format.h"
#include "common/time_arithmetic.h"

namespace {

constexpr double kHour = 3600.0;

// "3日 2時間 15分 7秒" of a length of time.
std::string SpanText(double seconds) {
  auto s = static_cast<long long>(std::fabs(seconds));
  const long long days = s / 86400;
  s %= 86400;
  std::string text = days > 0 ? StrPrintf("%lld日 ", days) : std::string();
  return text + StrPrintf("%lld時間 %lld分 %lld秒", s / 3600, (s / 60) % 60, s % 60);
}

}  // namespace

void ClockDiscipline::UseTimeZone(int hours) {
  timeZone_ = hours;
  d_.clock.UseTimeZone(hours);
}

int64_t ClockDiscipline::StepAllowanceMs(double uncertainty) {
  const auto tell = static_cast<int64_t>(std::ceil(3.0 * uncertainty * 1000.0 - 1e-6));
  return tell > kStepAboveMs ? tell : kStepAboveMs;
}

ClockDiscipline::Outcome ClockDiscipline::Measure(const ClockMeasurement& m) {
  const Outcome outcome = ActOn(m);
  if (m.usable) {
    TellMeasurement(m.pc, m.pc - m.reference - SyncOffsetMs() * 0.001, m.uncertainty, m.source,
                    outcome == Outcome::kStepped);
  }
  return outcome;
}

ClockDiscipline::Outcome ClockDiscipline::ActOn(const ClockMeasurement& m) {
  if (!m.usable) return Outcome::kNone;
  const bool leapStep = afterLeap_;
  if (m.second % 5 != 0 && !leapStep) return Outcome::kNone;
  afterLeap_ = false;
  const int64_t offMs = m.ErrorMs() - SyncOffsetMs();
  const int64_t allowanceMs = StepAllowanceMs(m.uncertainty);
  NoteCheck(m, offMs, allowanceMs);
  const int64_t off = std::llabs(offMs);
  // An error that may be an hour or more is a wrong time, not a wrong clock.
  if (off + allowanceMs >= kNeverFromMs || d_.settings.AutoAdjust != 1) return Outcome::kNone;
  if (m.second % 10 == 0 || leapStep) {
    if (off <= allowanceMs) return Outcome::kNone;
    if (StepAtCount(m.reference + SyncOffsetMs() * 0.001, m.count, m.source)) {
      state_.uncertainty = m.uncertainty;
      return Outcome::kStepped;
    }
    TellAutomaticFailure(m.stamp);
    return Outcome::kFailed;
  }
  if (off <= kFailureAboveMs) return Outcome::kNone;
  TellAutomaticFailure(m.stamp);
  return Outcome::kReportedOff;
}

ClockDiscipline::Outcome ClockDiscipline::TakeServerTime(double serverTime, double pcTime,
                                                         uint32_t count, double uncertainty,
                                                         const UpstreamClaim& claim) {
  const double target = serverTime + SyncOffsetMs() * 0.001;
  if (!(std::fabs(target - pcTime) <= kNeverFromMs / 1000.0)) return Outcome::kTooFar;
  const bool stepped = StepAtCount(target, count, ClockSource::kServer);
  TellMeasurement(pcTime, pcTime - target, uncertainty, ClockSource::kServer, stepped);
  if (!stepped) return Outcome::kFailed;
  state_.uncertainty = uncertainty;
  state_.upstream = claim;
  return Outcome::kStepped;
}

ClockDiscipline::Outcome ClockDiscipline::ManualStep(double target, uint32_t count,
                                                     ClockSource source,
                                                     const LocalTimeRecord& stamp,
                                                     bool askWhenFar) {
  const double t = target + SyncOffsetMs() * 0.001;
  const double pcThen = d_.clock.ReadNtpSeconds() - d_.counter.SecondsSince(count);
  if (askWhenFar && !(std::fabs(t - pcThen) < kHour)) {
    const LocalTimeRecord set = NtpSecondsToLocalTime(t, timeZone_);
    const std::string question = StrPrintf(
        "PCの時計を %04d/%02d/%02d %02d:%02d:%02d に合わせます。\nPCの時計は %s %sいます。よろしいですか?",
        set.Year, set.Month, set.Day, set.Hour, set.Minute, set.Second, SpanText(t - pcThen).c_str(),
        t > pcThen ? "遅れて" : "進んで");
    const unsigned asked = generation_;
    d_.boxes.Confirm(question, [this, t, count, source, stamp, asked](bool ok) {
      if (!ok || asked != generation_) return;
      if (!StepAtCount(t, count, source)) {
        d_.status.ShowStatus("時刻校正に失敗");
        d_.log.LogLine(Stamped(stamp.Hour, stamp.Minute, stamp.Second, "時刻校正に失敗"));
      }
    });
    return Outcome::kAsked;
  }
  if (StepAtCount(t, count, source)) return Outcome::kStepped;
  d_.status.ShowStatus("時刻校正に失敗");
  d_.log.LogLine(Stamped(stamp.Hour, stamp.Minute, stamp.Second, "時刻校正に失敗"));
  return Outcome::kFailed;
}

ClockDiscipline::Outcome ClockDiscipline::SetToWholeMinute(const LocalTimeRecord& pressed,
                                                           uint32_t count) {
  // The minute in local seconds (time zone 0), so the carries into the hour
  // and the date come from the calendar arithmetic; then as UTC.
  double minute = ReceiverTimeToNtpSeconds(pressed.Year, pressed.Month, pressed.Day, pressed.Hour,
                                           pressed.Minute, 0);
  if (pressed.Second >= 30) minute += 60;
  return ManualStep(minute - timeZone_ * kHour, count, ClockSource::kUser, pressed, false);
}

void ClockDiscipline::ForgetClockCheck() {
  state_ = ClockState{};
  afterLeap_ = false;
  ++generation_;
}

bool ClockDiscipline::StepAtCount(double target, uint32_t count, ClockSource source) {
  const double t = target + d_.counter.SecondsSince(count);
  const LocalTimeRecord local = NtpSecondsToLocalTime(t, timeZone_);
  // A time whose local date lies outside the years the program accepts
  // never reaches the clock.
  if (!std::isfinite(t) || !ValidReceiverDate(local.Year, local.Month, local.Day)) return false;
  if (!d_.clock.SetLocalTime(local, SubMillisecondNanos(t))) return false;
  state_.onReference = true;
  state_.source = source;
  state_.offset = 0;
  state_.referenceTime = target;
  for (const StepListener& listener : listeners_) listener({target, count, source});
  return true;
}

void ClockDiscipline::TellMeasurement(double pcTime, double error, double uncertainty,
                                      ClockSource source, bool stepped) {
  const ClockMeasurementPoint point{pcTime, error, uncertainty, source, state_.frequencyPpm, stepped};
  for (const MeasurementListener& listener : measurementListeners_) listener(point);
}

void ClockDiscipline::NoteCheck(const ClockMeasurement& m, int64_t offMs, int64_t allowanceMs) {
  const int64_t off = std::llabs(offMs);
  state_.offset = offMs / 1000.0;
  if (off <= allowanceMs) {
    state_.onReference = true;
    state_.source = m.source;
    state_.uncertainty = m.uncertainty;
    state_.referenceTime = m.reference;
  } else if (off > 2 * allowanceMs) {
    state_.onReference = false;
  }
}

void ClockDiscipline::TellAutomaticFailure(const LocalTimeRecord& stamp) {
  const double now = d_.clock.ReadNtpSeconds();
  if (told_ && std::fabs(now - toldAt_) < kTellEverySeconds) return;
  told_ = true;
  toldAt_ = now;
  d_.log.LogLine(Stamped(stamp.Hour, stamp.Minute, stamp.Second, "時刻校正に失敗"));
}

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
    TellMeasurement(m.pcFine != 0 ? m.pcFine : m.pc, m.FineError() - SyncOffsetMs() * 0.001,
                    m.uncertainty, m.source, outcome == Outcome::kStepped);
  }
  return outcome;
}

ClockDiscipline::Outcome ClockDiscipline::ActOn(const ClockMeasurement& m) {
  if (!m.usable) return Outcome::kNone;
  const bool leapStep = afterLeap_;
  const int64_t allowanceMs = StepAllowanceMs(m.uncertainty);
  const auto follow = [&] {
    Follow(m.source, m.pcFine != 0 ? m.pcFine : m.pc, m.FineError() - SyncOffsetMs() * 0.001,
           m.uncertainty, m.stamp);
  };
  if (m.second % 5 != 0 && !leapStep) {
    follow();
    return Outcome::kNone;
  }
  afterLeap_ = false;
  const int64_t offMs = m.ErrorMs() - SyncOffsetMs();
  NoteCheck(m, offMs, allowanceMs);
  const int64_t off = std::llabs(offMs);
  // An error that may be an hour or more is a wrong time, not a wrong clock.
  if (off + allowanceMs >= kNeverFromMs || d_.settings.AutoAdjust != 1) return Outcome::kNone;
  follow();
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
                                                         const UpstreamClaim& claim, bool byUser) {
  const double target = serverTime + SyncOffsetMs() * 0.001;
  if (!(std::fabs(target - pcTime) <= kNeverFromMs / 1000.0)) return Outcome::kTooFar;
  // The first setting from a server steps, and so does one the loop does
  // not follow or a step would not leave alone.
  const double offset = pcTime - target;
  if (!LoopOn()) LeaveLoop();
  if (LoopOn() && !byUser && state_.onReference && state_.source == ClockSource::kServer &&
      std::fabs(offset) * 1000.0 <= static_cast<double>(StepAllowanceMs(uncertainty))) {
    Follow(ClockSource::kServer, pcTime, offset, uncertainty, NtpSecondsToLocalTime(pcTime, timeZone_));
    if (loopApplied_) {
      TellMeasurement(pcTime, offset, uncertainty, ClockSource::kServer, false);
      state_.uncertainty = uncertainty;
      state_.upstream = claim;
      state_.referenceTime = serverTime;
      return Outcome::kSlewed;
    }
  }
  const bool stepped = StepAtCount(target, count, ClockSource::kServer);
  TellMeasurement(pcTime, offset, uncertainty, ClockSource::kServer, stepped);
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
  const double frequency = state_.frequencyPpm;
  state_ = ClockState{};
  state_.frequencyPpm = frequency;  // still in force
  loop_.Restart();
  afterLeap_ = false;
  ++generation_;
}

bool ClockDiscipline::StepAtCount(double target, uint32_t count, ClockSource source) {
  const double t = target + d_.counter.SecondsSince(count);
  const LocalTimeRecord local = NtpSecondsToLocalTime(t, timeZone_);
  // A time whose local date lies outside the years the program accepts
  // never reaches the clock.
  if (!std::isfinite(t) || !ValidReceiverDate(local.Year, local.Month, local.Day)) return false;
  const double before = d_.clock.ReadNtpSeconds();
  if (!d_.clock.SetLocalTime(local, SubMillisecondNanos(t))) return false;
  state_.onReference = true;
  state_.source = source;
  state_.offset = 0;
  state_.referenceTime = target;
  // The setting ended any slew; the loop's phase starts again.
  loop_.Restart();
  for (const StepListener& listener : listeners_) listener({target, count, source, t - before});
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

bool ClockDiscipline::LoopOn() const {
  return d_.settings.FreqAdjust == 1 && d_.settings.AutoAdjust == 1 && !adjustRefused_;
}

void ClockDiscipline::Follow(ClockSource source, double time, double offset, double uncertainty,
                             const LocalTimeRecord& stamp) {
  if (!LoopOn()) {
    LeaveLoop();
    return;
  }
  // Beyond the allowance the step rules act; the loop waits for them.
  if (!(std::fabs(offset) * 1000.0 <= static_cast<double>(StepAllowanceMs(uncertainty)))) return;
  if (source != loopSource_) {
    loop_.Restart();
    loopSource_ = source;
  }
  const FrequencyLoop::Correction c =
      loop_.Take(time, offset, uncertainty, source == ClockSource::kPps);
  if (!d_.clock.SetFrequencyPpm(c.frequencyPpm) || (c.slew != 0 && !d_.clock.Slew(c.slew))) {
    // No right to adjust the clock: told once, and only steps from now on.
    adjustRefused_ = true;
    loopApplied_ = false;
    d_.log.LogLine(Stamped(stamp.Hour, stamp.Minute, stamp.Second,
                           "周波数補正できません(時計を調整する権限がありません)"));
    return;
  }
  loopApplied_ = true;
  state_.frequencyPpm = c.frequencyPpm;
  state_.offset = offset;
  KeepFrequency(false);
}

void ClockDiscipline::LeaveLoop() {
  if (!loopApplied_) return;
  loopApplied_ = false;
  loop_.Restart();
  loopSource_ = ClockSource::kNone;
  if (d_.clock.SetFrequencyPpm(0)) state_.frequencyPpm = 0;
}

void ClockDiscipline::UseDriftFile(DriftFile& file) {
  driftFile_ = &file;
  loop_.StartFrom(file.Read().value_or(0.0));
}

void ClockDiscipline::KeepFrequency(bool atExit) {
  if (driftFile_ == nullptr || !loopApplied_ || !loop_.Settled()) return;
  const double now = d_.clock.ReadNtpSeconds();
  if (!atExit && driftWritten_ && std::fabs(now - driftWrittenAt_) < kHour) return;
  if (driftFile_->Write(loop_.FrequencyPpm())) {
    driftWritten_ = true;
    driftWrittenAt_ = now;
  }
}

#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/log_sink.h"
#include "common/status_sink.h"
#include "link/counter_scale.h"
#include "platform/local_time.h"
#include "platform/message_boxes.h"
#include "platform/pc_clock.h"
#include "settings/settings.h"
#include "timekeeping/clock_measurement.h"
#include "timekeeping/clock_state.h"

// What the clock discipline works with but does not own.
struct ClockDisciplineDeps {
  const Settings& settings;  // the sync adjustment and `AutoAdjust`
  PcClock& clock;
  const CounterScale& counter;
  LogSink& log;
  MessageBoxes& boxes;
  StatusSink& status;
};

// The one place that decides whether and how the PC clock is set. The 1PPS
// edge path and the per-second path hand it measurements, "同期" and the
// network client a target time; it applies the sync adjustment and every
// rule, sets the clock, tells what it did, and keeps what is known of the PC
// clock (ClockState). Nothing else sets the clock.
class ClockDiscipline {
 public:
  enum class Outcome { kNone, kStepped, kFailed, kTooFar, kAsked, kReportedOff };

  // Errors at or below kStepAboveMs are left alone (or the measurement's own
  // uncertainty when that is larger); beyond kFailureAboveMs at a report
  // mark the setting has failed; an error that may be an hour or more (with
  // the allowance) is taken as a wrong time, not a wrong clock, and no
  // automatic path acts on it.
  static constexpr int64_t kStepAboveMs = 30;
  static constexpr int64_t kFailureAboveMs = 1000;
  static constexpr int64_t kNeverFromMs = 3600000;
  // Automatic failures are told at most this often.
  static constexpr double kTellEverySeconds = 60;

  explicit ClockDiscipline(const ClockDisciplineDeps& deps) : d_(deps) {}
  ClockDiscipline(const ClockDiscipline&) = delete;
  ClockDiscipline& operator=(const ClockDiscipline&) = delete;

  // The program's local time is UTC plus these hours, here and in the clock.
  void UseTimeZone(int hours);
  int TimeZone() const { return timeZone_; }
  // The sync adjustment (`SyncParm` x 100 ms) added to every setting.
  int32_t SyncOffsetMs() const { return d_.settings.SyncOffsetMs(); }

  // A measurement from the receiver at a second of the minute. Only the
  // 5-second marks act: at 0, 10, ... 50 a clock that is off is stepped, at
  // 5, 15, ... 55 one still off by more than a second is told. "Off" is
  // measured from where a step would put the clock (the reference plus the
  // sync adjustment). A measurement that is not usable changes nothing.
  // After a leap second the first usable measurement may step at once.
  Outcome Measure(const ClockMeasurement& m);

  // The smallest error (ms) a step corrects for a measurement of this
  // uncertainty: the step threshold, or three times the uncertainty when
  // the measurement cannot tell a smaller error apart.
  static int64_t StepAllowanceMs(double uncertainty);

  // A server's time that held at `count` (the network client). Stepped at
  // once, with the sync adjustment; refused (kTooFar) at an hour or more.
  // `pcTime` is the PC clock at `count`; `claim` what the server said of
  // its own time, kept in the state with the setting.
  Outcome TakeServerTime(double serverTime, double pcTime, uint32_t count, double uncertainty,
                         const UpstreamClaim& claim = {});

  // "同期": sets the clock to `target` (NTP seconds, UTC) as it held at
  // `count`, plus the sync adjustment. A step of an hour or more is first
  // shown with the time it would set and taken only on the user's OK
  // (kAsked); the counter time until then is added. A failed setting is
  // told in the status bar and the log, stamped with `stamp`.
  Outcome ManualStep(double target, uint32_t count, ClockSource source, const LocalTimeRecord& stamp,
                     bool askWhenFar);

  // "同期" offline: the nearest whole minute of the local time `pressed`,
  // read at `count`, plus the sync adjustment.
  Outcome SetToWholeMinute(const LocalTimeRecord& pressed, uint32_t count);

  // What is known of the PC clock.
  const ClockState& State() const { return state_; }
  bool ClockOnReference() const { return state_.onReference; }
  // A new connection: nothing is known of the clock against its source.
  void ForgetClockCheck();
  // A leap second was seen: the next usable measurement may step at once.
  void NoteLeapSecond() { afterLeap_ = true; }

  // Told after each step, with the time set and the count it held at.
  using StepListener = std::function<void(const ClockStep&)>;
  void AddStepListener(StepListener listener) { listeners_.push_back(std::move(listener)); }
  // Told of each usable measurement taken (a receiver's or a server's), with
  // the error measured and whether the clock was stepped on it.
  using MeasurementListener = std::function<void(const ClockMeasurementPoint&)>;
  void AddMeasurementListener(MeasurementListener listener) {
    measurementListeners_.push_back(std::move(listener));
  }

 private:
  // What Measure does with the measurement: the rules above.
  Outcome ActOn(const ClockMeasurement& m);
  void TellMeasurement(double pcTime, double error, double uncertainty, ClockSource source,
                       bool stepped);
  bool StepAtCount(double target, uint32_t count, ClockSource source);
  void NoteCheck(const ClockMeasurement& m, int64_t offMs, int64_t allowanceMs);
  void TellAutomaticFailure(const LocalTimeRecord& stamp);

  ClockDisciplineDeps d_;
  int timeZone_ = 9;
  ClockState state_;
  bool afterLeap_ = false;
  bool told_ = false;
  double toldAt_ = 0;  // PC clock of the last tell
  // Bumped by each new connection: an answer to a question asked before it
  // no longer applies.
  unsigned generation_ = 0;
  std::vector<StepListener> listeners_;
  std::vector<MeasurementListener> measurementListeners_;
};

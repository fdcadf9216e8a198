#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "commands/receiver_config.h"
#include "commands/test_dialog_model.h"
#include "common/log_sink.h"
#include "common/status_sink.h"
#include "common/tick_wait.h"
#include "common/receiver_kinds.h"
#include "link/counter_scale.h"
#include "link/edge_reference.h"
#include "link/pps_timing_record.h"
#include "link/text_burst.h"
#include "platform/beeper.h"
#include "platform/pc_clock.h"
#include "settings/settings.h"
#include "timekeeping/burst_delay.h"
#include "timekeeping/clock_discipline.h"
#include "timekeeping/receiver_state.h"
#include "timekeeping/receiver_view.h"

// The second's timing counters of a receiver connection, in 100 ms ticks.
// Ticks (100 ms) for which the last taken edge still serves the time.
constexpr int kEdgeReferenceFreshTicks = 20;

struct SecondTiming {
  // No usable data yet since connecting (or since the reception restarted):
  // "受信できません!!" is told each time the wait runs out, and it starts again.
  static constexpr int kWaitForDataTicks = 100;
  TickWait DataWait{kWaitForDataTicks, true};
  bool FixStartPending = false; // the first second after usable data began
  bool FixStarted = false;      // that second came: the receiver's time may be asked for
  int StartCheckCount = 0;
  bool SecondPending = false;   // a time sentence came; its second is not processed yet
  int PendingSecondTicks = 0;
  int DelayTicks = 3;           // ticks from the time sentence to the second without 1PPS
  bool PpsMarkerSeen = true;
  int SentenceToPpsTicks = 0;
  int SentenceCount = 0;
  unsigned SecondStarts = 0;    // time sentences that started a second
  // The first arrival of the burst that carried the time sentence: without
  // 1PPS it marks the second.
  CounterCapture SecondArrival;
  // The time of day (corrected) of the second the last time sentence
  // started, while it had one: a repeat of it starts nothing.
  bool SecondStarted = false;
  int StartedTimeOfDay = 0;
  // Reception that stops: ticks since the last processed second and since the
  // last DSR change, whether the stop has been told, and whether the 1PPS
  // was lost after it had been seen.
  int TicksSinceSecond = 0;
  int TicksSinceEdge = 0;
  bool StallReported = false;
  bool PpsLost = false;
  // Ticks since an edge's receiver time was last taken into the edge
  // reference; starts stale.
  int TicksSinceEdgeTaken = 1 << 20;
};

// What the time keeping works with but does not own.
struct TimeKeeperDeps {
  const Settings& settings;
  int32_t& delaySetting;        // `dSSS`: the delay measured against the 1PPS is kept there
  bool& clockSetPending;        // "同期" asks for a clock setting at the next second
  ReceiverView& view;
  StatusSink& status;
  ReceiverConfig& cfg;
  TestDialogModel& testDialog;
  LogSink& log;
  Beeper& beeper;
  PcClock& clock;               // read for the PC's time; set only through the discipline
  ClockDiscipline& discipline;
  CounterScale& counterScale;
  EdgeReference& edgeReference;
  BurstDelay& burstDelay;
};

// The time keeping of one receiver connection: what the parsers collected,
// the second's timing, the fix state and the per-second work. Created on
// connect, so a new connection starts from a clean state.
class TimeKeeper {
 public:
  explicit TimeKeeper(const TimeKeeperDeps& deps);
  TimeKeeper(const TimeKeeper&) = delete;
  TimeKeeper& operator=(const TimeKeeper&) = delete;

  PpsTimingRecord pps;
  ReceiverState rx;
  PositionStats position;
  SecondTiming timing;
  // Sentences dropped for a wrong checksum.
  uint64_t ChecksumErrors = 0;
  // The receiver time of the last edge whose time was taken, and its count.
  bool EdgeTaken = false;
  double TakenEdgeTime = 0;
  uint32_t TakenEdgeCount = 0;
  // The first arrival of the burst that the record being dispatched came in.
  CounterCapture LineArrival;
  void NoteArrivalNow();
  // The status text the last second showed; the status bar changes only when
  // it does, so a message put there in between stays visible.
  std::string ShownStatus;

  // Told at the end of each processed second (the network client's schedule).
  std::function<void(int minute, int second)> SecondEnded;

  const Settings& settings;
  int32_t& delaySetting;
  bool& clockSetPending;
  ReceiverView& view;
  StatusSink& status;
  ReceiverConfig& cfg;
  TestDialogModel& testDialog;
  LogSink& log;
  Beeper& beeper;
  PcClock& clock;
  ClockDiscipline& discipline;
  CounterScale& counterScale;
  EdgeReference& edgeReference;
  BurstDelay& burstDelay;
  // Told once a connection: a date moved on by a week-number rollover; a
  // date that cannot be true (again after a true one came).
  bool RolloverTold = false;
  bool DateRefusedTold = false;

  // The PC's time now, NTP seconds (UTC).
  double PcNow() const;
  // Whether the receiver's time may be served to the LAN: reception is
  // normal (a time-synchronised fix, sentences in step, not stopped) and
  // its date can be true.
  bool TimeUsable() const { return pps.ReceptionOk && !pps.DateRefused; }
  // Whether the edge reference was taken within the last 2 s, so that the
  // time since it can be read from the counter. An older one would no longer
  // hold the receiver's time, and the counter's 32-bit count lasts only
  // minutes (429 s at 10 MHz).
  bool EdgeReferenceFresh() const;
  // How far one edge's time strays (s), from the spread of the edge
  // intervals (each has the jitter of two edges); a millisecond until the
  // statistics tell, or when edges are timed in milliseconds.
  double EdgeJitter() const;
  // The table entry of the receiver kind (the setting cannot change while
  // connected).
  const ReceiverKindTraits& Kind() const { return TraitsOf(settings.Receiver); }
};

#include "timekeeping/second_processing.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/text_format.h"
#include "common/time_arithmetic.h"
#include "link/receiver_second.h"
#include "timekeeping/time_keeper.h"

LocalTimeRecord ReceiverStamp(const PpsTimingRecord& r) {
  LocalTimeRecord t;
  t.Hour = static_cast<uint16_t>(r.LocalHour);
  t.Minute = static_cast<uint16_t>(r.Minute);
  t.Second = static_cast<uint16_t>(r.Second);
  return t;
}

namespace {

bool StartsWith(const std::string& s, char c) { return !s.empty() && s[0] == c; }

void LogAtReceiverTime(TimeKeeper& tk, const std::string& message) {
  const PpsTimingRecord& r = tk.pps;
  tk.log.LogLine(Stamped(r.LocalHour, r.Minute, r.Second, message));
}

// The statistics and the window of the 1PPS intervals start again.
void RestartIntervalStatistics(PpsTimingRecord& r) {
  r.IntervalCount = 0;
  r.IntervalMean = 0;
  r.IntervalM2 = 0;
  r.TimeReady = false;
}

// "同期" while connected: the clock is set to the receiver's second plus the
// sync adjustment, only while reception is normal and the date can be true.
// With 1PPS the second is the last edge's, advanced by the counter time since
// that edge; without it the second placed before its burst's arrival by the
// sentence delay.
void SetPcClockFromReceiver(TimeKeeper& tk) {
  PpsTimingRecord& r = tk.pps;
  if (!r.ReceptionOk || r.DateRefused) {
    // Shown until the status changes, and kept in the log.
    tk.status.ShowStatus("時刻校正不能");
    LogAtReceiverTime(tk, "時刻校正不能");
    return;
  }
  const double second = ReceiverSecondTime(tk);
  if (r.PpsSeen && tk.EdgeTaken && tk.TakenEdgeTime == second) {
    tk.discipline.ManualStep(second, tk.TakenEdgeCount, ClockSource::kPps, ReceiverStamp(r), true);
    return;
  }
  const BurstDelay::Estimate e = tk.burstDelay.For(!tk.cfg.NmeaMode);
  tk.discipline.ManualStep(second - 1 + e.delay, tk.timing.SecondArrival.counter,
                           ClockSource::kSentences, ReceiverStamp(r), true);
}

// The first second after usable data began. Returns true when the second
// ends here.
bool HandleFixStart(TimeKeeper& tk) {
  SecondTiming& k = tk.timing;
  PpsTimingRecord& r = tk.pps;
  ReceiverView& v = tk.view;
  if (!k.FixStartPending) return false;
  // The status bar showed connection texts meanwhile: the next status is
  // written whatever it is.
  tk.ShownStatus.clear();
  if (r.FixQuality < 2) {
    if (++k.StartCheckCount > 60) {
      tk.status.ShowStatus("正常に通信できません!!");
      k.FixStartPending = false;
      k.DataWait.Start();
    }
  } else {
    k.FixStartPending = false;
    r.ReceptionOk = true;
    RestartIntervalStatistics(r);
    const uint32_t frequency = tk.counterScale.CounterFrequency();
    if (frequency != 0) {
      r.IntervalMin = static_cast<uint32_t>(frequency * 0.98);
      r.IntervalMax = static_cast<uint32_t>(frequency * 1.02);
      r.IntervalStatsLimit = static_cast<uint32_t>(frequency * 1.1);
    } else {
      r.IntervalMin = 980;
      r.IntervalMax = 1020;
      r.IntervalStatsLimit = 1100;
    }
    tk.position = PositionStats{};
    v.LabelPpsCtr.clear();
    tk.rx.DatumText.clear();
    v.LabelMapDatum.clear();
    k.FixStarted = true;
    if (r.PpsSeen) v.CSpinButtondSSVisible = false;
    if (!tk.cfg.NmeaMode) {
      tk.delaySetting = 3;
      k.DelayTicks = 3;
      v.EditdSS = StrPrintf("%+d", 3 * 10 + 10);
    }
    LogAtReceiverTime(tk, StrPrintf("接続開始(Performance Frequency : %u)", frequency));
    tk.testDialog.TestDialogShown = false;
  }
  k.SecondPending = false;
  return true;
}

// Times and the PC error (and the correction) when no 1PPS is used: the
// second is placed the sentence delay before the first arrival of the burst
// that carried the time sentence, and the PC clock read at that arrival is
// measured against it.
void ShowTimeAndError(TimeKeeper& tk) {
  PpsTimingRecord& r = tk.pps;
  ReceiverView& v = tk.view;
  if (r.FixQuality < 2) {
    v.EditPcErr = "??";
    return;
  }
  if (r.PpsSeen) return;
  v.EditJst = Hms(r.LocalHour, r.Minute, r.Second);
  v.EditUtc = Hms(r.UtcHour, r.Minute, r.Second);

  const BurstDelay::Estimate e = tk.burstDelay.For(!tk.cfg.NmeaMode);
  const CounterCapture& arrival = tk.timing.SecondArrival;
  ClockMeasurement m;
  m.source = ClockSource::kSentences;
  m.reference = ReceiverSecondTime(tk) - 1 + e.delay;
  m.pc = LocalTimeToNtpSeconds(arrival.pcLocal, r.TimeZone);
  m.count = arrival.counter;
  m.uncertainty = e.spread;
  m.second = r.Second;
  // Only a receiver that has UTC time, read in this second, measures.
  m.usable = r.FixQuality == 3 && r.TimeRead && !r.DateRefused && !r.LeapSecond;
  m.stamp = ReceiverStamp(r);
  tk.discipline.Measure(m);
  if (r.Second % 5 == 0) v.EditPcErr = StrPrintf("%+lld", static_cast<long long>(m.ErrorMs() / 10));
}

// The status text, with the beep for unstable reception. The status bar is
// written only when the text changes, so a message shown in between (a
// refused "同期") stays until the status really changes.
std::string StatusTextAndBeep(TimeKeeper& tk) {
  const PpsTimingRecord& r = tk.pps;
  static const char* const kTexts[3] = {"メッセージなし", "測位不能", "UTC非同期"};
  const bool beepOnTrouble = tk.settings.BeepCond == 2;
  std::string text;
  if (r.FixQuality >= 0 && r.FixQuality < 3) {
    text = kTexts[r.FixQuality];
    if (beepOnTrouble) tk.beeper.Beep();
  } else {
    text = tk.cfg.NmeaMode ? "受信中(NMEA)" : "受信中(ﾊﾞｲﾅﾘ)";
  }
  if (r.DelayOutOfRange) {
    text = "受信タイミングエラー";
    if (beepOnTrouble && r.FixQuality == 3) tk.beeper.Beep();
  }
  if (text != tk.ShownStatus) {
    tk.status.ShowStatus(text);
    tk.ShownStatus = text;
  }
  return text;
}

// The reception state, logged once per change.
void UpdateReceptionState(TimeKeeper& tk, const std::string& statusText) {
  PpsTimingRecord& r = tk.pps;
  if (r.DelayOutOfRange || r.FixQuality < 3) {
    if (r.ReceptionOk) tk.log.LogWithPcTime(statusText);
    r.ReceptionOk = false;
  } else {
    if (!r.ReceptionOk) tk.log.LogWithPcTime("正常受信に復帰");
    r.ReceptionOk = true;
  }
}

struct Coordinate {
  bool ok = false;
  double value = 0;
  char hemisphere = ' ';
};

// "3540.5N" -> 3540.5 and 'N'. Empty or malformed text is not a coordinate,
// nor is a value no position can have (degrees x 100 + minutes stays below
// 18060), so a garbled number never reaches the integer conversions.
Coordinate ReadCoordinate(const std::string& text) {
  Coordinate c;
  if (text.size() < 2) return c;
  c.hemisphere = text.back();
  char* end = nullptr;
  const std::string number = text.substr(0, text.size() - 1);
  c.value = std::strtod(number.c_str(), &end);
  c.ok = end != number.c_str() && std::isfinite(c.value) && std::fabs(c.value) < 1e6;
  return c;
}

// "%3dﾟ%02d'%04.1lf\"%c": degrees, minutes, seconds, hemisphere.
std::string PositionText(double x, char hemisphere) {
  const auto k = static_cast<long long>(x);
  return StrPrintf("%3lldﾟ%02lld'%04.1lf\"%c", k / 100, k % 100, (x - static_cast<double>(k)) * 60.0,
                   hemisphere);
}

void AddSample(double x, uint32_t n, double& mean, double& m2) {
  const double d = x - mean;
  mean += d / n;
  m2 += (n - 1) * d * d / n;
}

double Spread(double m2, uint32_t n) { return n > 1 ? std::sqrt(m2 / (n - 1)) * 60.0 : 0.0; }

// The position, its statistics and the statistics row.
void ShowPosition(TimeKeeper& tk) {
  const ReceiverState& rx = tk.rx;
  ReceiverView& v = tk.view;
  if (tk.pps.FixQuality < 2) {
    v.EditLat = rx.LatitudeText;
    v.EditLong = rx.LongitudeText;
    return;
  }
  const Coordinate lat = ReadCoordinate(rx.LatitudeText);
  const Coordinate lon = ReadCoordinate(rx.LongitudeText);
  v.EditLat = lat.ok ? PositionText(lat.value, lat.hemisphere) : rx.LatitudeText;
  v.EditLong = lon.ok ? PositionText(lon.value, lon.hemisphere) : rx.LongitudeText;
  // A position without both coordinates gives no statistics sample.
  if (!lat.ok || !lon.ok) return;

  PositionStats& p = tk.position;
  p.PositionCount += 1;
  AddSample(lat.value, p.PositionCount, p.LatitudeMean, p.LatitudeM2);
  AddSample(lon.value, p.PositionCount, p.LongitudeMean, p.LongitudeM2);

  TestDialogModel& dlg = tk.testDialog;
  if (dlg.TestDialogShown && dlg.DisplayOn && dlg.RadioGroupMode == 2) {
    const PpsTimingRecord& r = tk.pps;
    std::string row = Hms(r.LocalHour, r.Minute, r.Second) + "  ";
    row += PositionText(p.LongitudeMean, lon.hemisphere) + "(";
    row += StrPrintf("±%.1lf\") ", Spread(p.LongitudeM2, p.PositionCount));
    row += PositionText(p.LatitudeMean, lat.hemisphere) + "(";
    row += StrPrintf("±%.1lf\") ", Spread(p.LatitudeM2, p.PositionCount));
    row += StrPrintf("ｻﾝﾌﾟﾙ:%u", p.PositionCount);
    dlg.AddRow(row);
  }
}

void EndSecond(TimeKeeper& tk) {
  ReceiverState& rx = tk.rx;
  tk.timing.SecondPending = false;
  tk.pps.ReceiverDateKnown = false;
  rx.GgaSeen = rx.RmcSeen = rx.TpsSeen = rx.Bin1000Seen = rx.Bin1108Seen = false;
  rx.StatusText.clear();
  rx.SatelliteText.clear();
  rx.AntennaText.clear();
  rx.GeoidText.clear();
  tk.timing.SentenceCount = 0;
  tk.timing.DelayTicks = tk.delaySetting;
}

// The counter is calibrated against the 1PPS every 500 intervals.
void RecalibrateInterval(TimeKeeper& tk) {
  PpsTimingRecord& r = tk.pps;
  if (!(r.PpsSeen && r.TimeValid && r.IntervalCount >= 500)) return;
  const double s = std::sqrt(r.IntervalM2 / (r.IntervalCount - 1));
  if (tk.counterScale.CounterFrequency() != 0) {
    r.IntervalMin = TruncateToU32(r.IntervalMean - (s + 0.5) * 2);
    r.IntervalMax = TruncateToU32(r.IntervalMean + (s + 0.5) * 2);
    r.IntervalStatsLimit = TruncateToU32(r.IntervalMean * 1.1);
    const uint32_t frequency = TruncateToU32(r.IntervalMean);
    if (frequency != 0) tk.counterScale.Calibrate(frequency);
  }
  LogAtReceiverTime(tk, StrPrintf("1PPS interval : %7u ±%3u", TruncateToU32(r.IntervalMean),
                                  TruncateToU32(s + 0.5)));
  RestartIntervalStatistics(r);
}

}  // namespace

double ReceiverSecondTime(const TimeKeeper& tk) { return ReceiverSecondNtp(tk.pps, tk.PcNow()); }

void UpdateFixQuality(TimeKeeper& tk) {
  const ReceiverState& rx = tk.rx;
  int quality = 0;
  if (tk.cfg.NmeaMode) {
    const bool baseSeen = tk.settings.BaseMesg == 0 ? rx.GgaSeen : rx.RmcSeen;
    if (baseSeen) {
      if (StartsWith(rx.StatusText, '1') || StartsWith(rx.StatusText, '2')) {
        quality = 3;
        if (tk.Kind().fixNeedsPpsStatus && !(rx.TpsSeen && StartsWith(rx.TpsStatusText, '3'))) {
          quality = 2;
        }
      } else {
        quality = 1;
      }
    }
  } else if (!rx.Bin1000Seen) {
    quality = 0;
  } else if (rx.Bin1108Seen) {
    quality = StartsWith(rx.TimeMarkStatusText, '1') ? 3 : 2;
  } else {
    quality = StartsWith(rx.StatusText, '1') ? 2 : 1;
  }
  tk.pps.FixQuality = quality;
}

void ProcessSecond(TimeKeeper& tk) {
  tk.timing.TicksSinceSecond = 0;
  tk.timing.StallReported = false;
  // No setting during a leap second: a "同期" then waits for the next one.
  if (tk.clockSetPending && !tk.pps.LeapSecond) {
    SetPcClockFromReceiver(tk);
    tk.clockSetPending = false;
  }
  UpdateFixQuality(tk);
  if (HandleFixStart(tk)) return;
  ShowTimeAndError(tk);
  const std::string status = StatusTextAndBeep(tk);
  UpdateReceptionState(tk, status);

  const ReceiverState& rx = tk.rx;
  ReceiverView& v = tk.view;
  v.EditNumMsg = StrPrintf("%d", tk.timing.SentenceCount);
  v.EditStatus = rx.StatusText;
  v.EditNumSat = rx.SatelliteText;
  v.EditAntena = rx.AntennaText;
  v.EditGeoid = rx.GeoidText;
  ShowPosition(tk);
  EndSecond(tk);
  RecalibrateInterval(tk);
  if (tk.SecondEnded) tk.SecondEnded(tk.pps.Minute, tk.pps.Second);
}

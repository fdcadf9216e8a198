#include "timekeeping/second_processing.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "app/text_format.h"
#include "net/network_client.h"
#include "timekeeping/clock_setting.h"
#include "timekeeping/receiver_time.h"
#include "timekeeping/time_arithmetic.h"

namespace {

bool StartsWith(const std::string& s, char c) { return !s.empty() && s[0] == c; }

// The statistics and the window of the 1PPS intervals start again.
void RestartIntervalStatistics(App& app) {
  PpsTimingRecord& r = app.pps;
  r.IntervalCount = 0;
  r.IntervalMean = 0;
  r.IntervalM2 = 0;
  r.TimeReady = false;
}

// Step 3: the first second after usable data began. Returns true when the
// second ends here.
bool HandleFixStart(App& app) {
  TickState& k = app.tick;
  PpsTimingRecord& r = app.pps;
  MainView& v = app.view;
  if (!k.FixStartPending) return false;
  if (r.FixQuality < 2) {
    if (++k.StartCheckCount > 60) {
      v.StatusBar = "正常に通信できません!!";
      k.FixStartPending = false;
      k.AwaitingData = true;
      k.WaitTicks = 0;
    }
  } else {
    k.FixStartPending = false;
    r.ReceptionOk = true;
    RestartIntervalStatistics(app);
    if (r.CounterFrequency != 0) {
      r.IntervalMin = static_cast<uint32_t>(r.CounterFrequency * 0.98);
      r.IntervalMax = static_cast<uint32_t>(r.CounterFrequency * 1.02);
      r.IntervalStatsLimit = static_cast<uint32_t>(r.CounterFrequency * 1.1);
    } else {
      r.IntervalMin = 980;
      r.IntervalMax = 1020;
      r.IntervalStatsLimit = 1100;
    }
    app.position = PositionStats{};
    v.LabelPpsCtr.clear();
    app.rx.DatumText.clear();
    v.LabelMapDatum.clear();
    v.ButtonSyncPCEnabled = app.settings.AutoAdjust != 1;
    if (r.PpsSeen) v.CSpinButtondSSVisible = false;
    if (!app.cfg.NmeaMode) {
      app.settings.dSSS = 3;
      k.DelayTicks = 3;
      v.EditdSS = StrPrintf("%+d", 3 * 10 + 10);
    }
    app.LogLine(Stamped(r.LocalHour, r.Minute, r.Second,
                        StrPrintf("接続開始(Performance Frequency : %u)", r.CounterFrequency)));
    app.testDialog.TestDialogShown = false;
  }
  k.SecondPending = false;
  return true;
}

// Step 4: times and the PC error (and the correction) when no 1PPS is used.
void ShowTimeAndError(App& app) {
  PpsTimingRecord& r = app.pps;
  MainView& v = app.view;
  if (r.FixQuality < 2) {
    v.EditPcErr = "??";
    return;
  }
  if (r.PpsSeen) {
    if (!r.CorrectionOk) {
      app.LogLine(Stamped(r.LocalHour, r.Minute, r.Second, "時刻校正に失敗"));
      r.CorrectionOk = true;
    }
    return;
  }
  v.EditJst = Hms(r.LocalHour, r.Minute, r.Second);
  v.EditUtc = Hms(r.UtcHour, r.Minute, r.Second);
  if (r.Second % 5 != 0) return;

  const double pc = LocalTimeToNtpSeconds(app.ReadPcClock(), app.settings.TimeZone);
  TakeReceiverTime(app);
  const auto error = static_cast<int64_t>((pc - app.ReceiverNtpTime) * 1000.0);
  const int64_t sum = std::llabs(error) + std::abs(r.SyncOffsetMs);
  const bool autoAdjust = app.settings.AutoAdjust == 1;
  if (r.Second % 10 == 0) {
    if (sum > 30 && sum < 3600000 && autoAdjust && r.FixQuality == 3) SetPcClock(app, true);
  } else if (autoAdjust && sum > 1000 && sum < 3600000) {
    app.LogLine(Stamped(r.LocalHour, r.Minute, r.Second, "時刻校正に失敗"));
  }
  v.EditPcErr = StrPrintf("%+lld", static_cast<long long>(error / 10));
}

// Step 5: the status text, with the beep for unstable reception.
std::string StatusTextAndBeep(App& app) {
  const PpsTimingRecord& r = app.pps;
  static const char* const kTexts[3] = {"メッセージなし", "測位不能", "UTC非同期"};
  const bool beepOnTrouble = app.settings.BeepCond == 2;
  std::string text;
  if (r.FixQuality >= 0 && r.FixQuality < 3) {
    text = kTexts[r.FixQuality];
    if (beepOnTrouble) app.platform.beeper.Beep();
  } else {
    text = app.cfg.NmeaMode ? "受信中(NMEA)" : "受信中(ﾊﾞｲﾅﾘ)";
  }
  if (r.DelayOutOfRange) {
    text = "受信タイミングエラー";
    if (beepOnTrouble && r.FixQuality == 3) app.platform.beeper.Beep();
  }
  app.view.StatusBar = text;
  return text;
}

// Step 6: the reception state, logged once per change.
void UpdateReceptionState(App& app, const std::string& statusText) {
  PpsTimingRecord& r = app.pps;
  if (r.DelayOutOfRange || r.FixQuality < 3) {
    if (r.ReceptionOk) app.LogWithPcTime(statusText);
    r.ReceptionOk = false;
  } else {
    if (!r.ReceptionOk) app.LogWithPcTime("正常受信に復帰");
    r.ReceptionOk = true;
  }
}

struct Coordinate {
  bool ok = false;
  double value = 0;
  char hemisphere = ' ';
};

// "3540.5N" -> 3540.5 and 'N'. Empty or malformed text is not a coordinate.
Coordinate ReadCoordinate(const std::string& text) {
  Coordinate c;
  if (text.size() < 2) return c;
  c.hemisphere = text.back();
  char* end = nullptr;
  const std::string number = text.substr(0, text.size() - 1);
  c.value = std::strtod(number.c_str(), &end);
  c.ok = end != number.c_str() && std::isfinite(c.value);
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

// Step 8: the position, its statistics and the statistics row.
void ShowPosition(App& app) {
  const ReceiverState& rx = app.rx;
  MainView& v = app.view;
  if (app.pps.FixQuality < 2) {
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

  PositionStats& p = app.position;
  p.PositionCount += 1;
  AddSample(lat.value, p.PositionCount, p.LatitudeMean, p.LatitudeM2);
  AddSample(lon.value, p.PositionCount, p.LongitudeMean, p.LongitudeM2);

  TestDialogModel& dlg = app.testDialog;
  if (dlg.TestDialogShown && dlg.DisplayOn && dlg.RadioGroupMode == 2) {
    const PpsTimingRecord& r = app.pps;
    std::string row = Hms(r.LocalHour, r.Minute, r.Second) + "  ";
    row += PositionText(p.LongitudeMean, lon.hemisphere) + "(";
    row += StrPrintf("±%.1lf\") ", Spread(p.LongitudeM2, p.PositionCount));
    row += PositionText(p.LatitudeMean, lat.hemisphere) + "(";
    row += StrPrintf("±%.1lf\") ", Spread(p.LatitudeM2, p.PositionCount));
    row += StrPrintf("ｻﾝﾌﾟﾙ:%u", p.PositionCount);
    dlg.AddRow(row);
  }
}

// Step 9.
void EndSecond(App& app) {
  ReceiverState& rx = app.rx;
  app.tick.SecondPending = false;
  app.pps.ReceiverDateKnown = false;
  rx.GgaSeen = rx.RmcSeen = rx.TpsSeen = rx.Bin1000Seen = rx.Bin1108Seen = false;
  rx.StatusText.clear();
  rx.SatelliteText.clear();
  rx.AntennaText.clear();
  rx.GeoidText.clear();
  app.tick.SentenceCount = 0;
  app.tick.DelayTicks = app.settings.dSSS;
}

// Step 10: the counter is calibrated against the 1PPS every 500 intervals.
void RecalibrateInterval(App& app) {
  PpsTimingRecord& r = app.pps;
  if (!(r.PpsSeen && r.TimeValid && r.IntervalCount >= 500)) return;
  const double s = std::sqrt(r.IntervalM2 / (r.IntervalCount - 1));
  if (r.CounterFrequency != 0) {
    r.IntervalMin = static_cast<uint32_t>(r.IntervalMean - (s + 0.5) * 2);
    r.IntervalMax = static_cast<uint32_t>(r.IntervalMean + (s + 0.5) * 2);
    r.IntervalStatsLimit = static_cast<uint32_t>(r.IntervalMean * 1.1);
    r.CounterFrequency = static_cast<uint32_t>(r.IntervalMean);
    app.CounterPeriod = 1.0 / r.CounterFrequency;
  }
  app.LogLine(Stamped(r.LocalHour, r.Minute, r.Second,
                      StrPrintf("1PPS interval : %7u ±%3u", static_cast<uint32_t>(r.IntervalMean),
                                static_cast<uint32_t>(s + 0.5))));
  RestartIntervalStatistics(app);
}

// Step 11: the periodic request to a time server, when the test dialog asks.
void PeriodicClientRequest(App& app) {
  PpsTimingRecord& r = app.pps;
  const int interval = app.settings.NtpIntv;
  if (!app.testDialog.CheckBoxAutoSync || interval == 0 || r.Second != 0 || r.Minute % 5 != 0 ||
      r.Minute != r.NextNtpMinute) {
    return;
  }
  r.NextNtpMinute = r.NextNtpMinute + 5 >= 60 ? 0 : r.NextNtpMinute + 5;
  if (++app.tick.NtpRequestCount >= interval / 5) SendSntpRequest(app);
}

}  // namespace

void UpdateFixQuality(App& app) {
  const ReceiverState& rx = app.rx;
  int quality = 0;
  if (app.cfg.NmeaMode) {
    const bool baseSeen = app.settings.BaseMesg == 0 ? rx.GgaSeen : rx.RmcSeen;
    if (baseSeen) {
      if (StartsWith(rx.StatusText, '1') || StartsWith(rx.StatusText, '2')) {
        quality = 3;
        if (app.settings.Receiver == kGt77 && !(rx.TpsSeen && StartsWith(rx.TpsStatusText, '3'))) {
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
  app.pps.FixQuality = quality;
}

void ProcessSecond(App& app) {
  if (app.tick.ClockSetPending) {
    TakeReceiverTime(app);
    SetPcClock(app, true);
    app.tick.ClockSetPending = false;
  }
  UpdateFixQuality(app);
  if (HandleFixStart(app)) return;
  ShowTimeAndError(app);
  const std::string status = StatusTextAndBeep(app);
  UpdateReceptionState(app, status);

  const ReceiverState& rx = app.rx;
  MainView& v = app.view;
  v.EditNumMsg = StrPrintf("%d", app.tick.SentenceCount);
  v.EditStatus = rx.StatusText;
  v.EditNumSat = rx.SatelliteText;
  v.EditAntena = rx.AntennaText;
  v.EditGeoid = rx.GeoidText;
  ShowPosition(app);
  EndSecond(app);
  RecalibrateInterval(app);
  PeriodicClientRequest(app);
}

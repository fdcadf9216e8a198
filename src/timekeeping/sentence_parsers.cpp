#include "timekeeping/sentence_parsers.h"

#include <optional>
#include <string>

#include "app/app.h"
#include "timekeeping/sentence_fields.h"

namespace {

using Field = std::optional<std::string_view>;

constexpr size_t kText = ReceiverState::kTextMax;
constexpr size_t kDatum = ReceiverState::kDatumMax;

bool StartsWith(const Field& f, char c) { return f && !f->empty() && f->front() == c; }

void CopyField(std::string& text, const Field& f) {
  if (f) CopyText(text, *f, kText);
}

void AppendField(std::string& text, const Field& f) {
  if (f) AppendText(text, *f, kText);
}

// "hhmmss[.sss]" into the record's time, then the second correction (which
// follows even an unreadable field).
void ReadNmeaTime(App& app, const Field& f) {
  if (!f) return;
  ScanInts(*f, "%2d%2d%2d", {&app.pps.UtcHour, &app.pps.Minute, &app.pps.Second});
  ApplySecondCorrection(app);
}

void ReadInt(const Field& f, int& target) {
  if (f) ScanInts(*f, "%d", {&target});
}

bool IsGt77(const App& app) { return app.settings.Receiver == kGt77; }

void ShowDatum(App& app, std::string_view label) {
  CopyText(app.rx.DatumText, label, kDatum);
  app.view.LabelMapDatum = app.rx.DatumText;
}

}  // namespace

void ParseGga(App& app, std::string_view body) {
  const SentenceFields f(body);
  ReceiverState& rx = app.rx;
  ReadNmeaTime(app, f.Field(1));
  CopyField(rx.LatitudeText, f.Field(2));
  AppendField(rx.LatitudeText, f.Field(3));
  CopyField(rx.LongitudeText, f.Field(4));
  AppendField(rx.LongitudeText, f.Field(5));
  const Field quality = f.Field(6);
  CopyField(rx.StatusText, quality);
  if ((StartsWith(quality, '1') || StartsWith(quality, '2')) && !IsGt77(app)) {
    app.pps.TimeValid = true;
  }
  CopyField(rx.SatelliteText, f.Field(7));
  CopyField(rx.AntennaText, f.Field(9));
  AppendField(rx.AntennaText, f.Field(10));
  CopyField(rx.GeoidText, f.Field(11));
  AppendField(rx.GeoidText, f.Field(12));

  if (app.settings.BaseMesg == 0) {
    StartSecond(app);
    if (!IsGt77(app)) app.pps.PpsArmed = true;
  }
  rx.GgaSeen = true;
}

void ParseRmc(App& app, std::string_view body) {
  const SentenceFields f(body);
  ReceiverState& rx = app.rx;
  PpsTimingRecord& p = app.pps;
  ReadNmeaTime(app, f.Field(1));
  if (const Field status = f.Field(2)) {
    // The status letter becomes the fix digit that GGA would give.
    CopyField(rx.StatusText, status);
    if (rx.StatusText.empty()) rx.StatusText = " ";
    if (StartsWith(status, 'A')) {
      rx.StatusText[0] = '1';
      if (!IsGt77(app)) p.TimeValid = true;
    } else {
      rx.StatusText[0] = '0';
    }
  }
  CopyField(rx.LatitudeText, f.Field(3));
  AppendField(rx.LatitudeText, f.Field(4));
  CopyField(rx.LongitudeText, f.Field(5));
  AppendField(rx.LongitudeText, f.Field(6));
  if (const Field date = f.Field(9)) {
    // The century is added only to a year that was read: an empty date
    // field must not push the held year on by 2000 each second.
    if (ScanInts(*date, "%2d%2d%2d", {&p.UtcDay, &p.UtcMonth, &p.UtcYear}) == 3) {
      p.UtcYear += 2000;
    }
  }

  if (app.settings.BaseMesg == 1) {
    StartSecond(app);
    if (!IsGt77(app)) p.PpsArmed = true;
  }
  rx.RmcSeen = true;
  p.ReceiverDateKnown = true;
}

void ParseZda(App& app, std::string_view body) {
  const SentenceFields f(body);
  PpsTimingRecord& p = app.pps;
  ReadNmeaTime(app, f.Field(1));
  ReadInt(f.Field(2), p.UtcDay);
  ReadInt(f.Field(3), p.UtcMonth);
  ReadInt(f.Field(4), p.UtcYear);
  p.ReceiverDateKnown = true;
}

void ParseTps(App& app, std::string_view body) {
  const SentenceFields f(body);  // field 1 is the sub-name
  const Field status = f.Field(3);
  CopyField(app.rx.TpsStatusText, status);
  if (StartsWith(status, '3')) app.pps.TimeValid = true;
  app.rx.TpsSeen = true;
  app.pps.PpsArmed = true;
}

void ParseSsd(App& app, std::string_view body) {
  const SentenceFields f(body);  // field 1 is the sub-name
  for (size_t n = 2; n <= f.Count(); ++n) {
    const std::string_view code = *f.Field(n);
    if (code.empty() || code.front() != 'G') continue;
    const std::string_view key = code.substr(0, 4);
    if (key == "G001") {
      ShowDatum(app, "WGS-84系");
    } else if (key == "G003") {
      ShowDatum(app, "日本測地系");
    } else {
      ShowDatum(app, "測地系:" + std::string(code.substr(1, 3)));
    }
    ScanInts(code.substr(1), "%d", {&app.cfg.ReceiverDatumCode});
  }
}

void ParseGrmm(App& app, std::string_view body) {
  // Up to the checksum (or the line end when there is none).
  const std::string_view name = body.substr(0, body.find_first_of("*\r\n"));
  ShowDatum(app, name);
}

void ParseBin1000(App& app, std::string_view body) {
  const SentenceFields f(body);
  ReceiverState& rx = app.rx;
  PpsTimingRecord& p = app.pps;
  CopyField(rx.StatusText, f.Field(1));
  CopyField(rx.SatelliteText, f.Field(2));
  CopyField(rx.LatitudeText, f.Field(3));
  CopyField(rx.LongitudeText, f.Field(4));
  CopyField(rx.AntennaText, f.Field(5));
  CopyField(rx.GeoidText, f.Field(6));
  if (const Field datum = f.Field(7); datum && app.settings.Receiver == kJupiter) {
    if (*datum == "0") {
      ShowDatum(app, "WGS-84系");
    } else if (*datum == "178") {
      ShowDatum(app, "日本測地系");
    } else {
      ShowDatum(app, "測地系:" + std::string(*datum));
    }
  }
  if (const Field date = f.Field(8)) ScanInts(*date, "%d/%d/%d", {&p.UtcYear, &p.UtcMonth, &p.UtcDay});

  rx.Bin1000Seen = true;
  if (!IsGt77(app)) p.PpsArmed = true;
  p.ReceiverDateKnown = true;
}

void ParseBin1108(App& app, std::string_view body) {
  const SentenceFields f(body);
  PpsTimingRecord& p = app.pps;
  const Field status = f.Field(1);
  CopyField(app.rx.TimeMarkStatusText, status);
  if (StartsWith(status, '1')) p.TimeValid = true;
  if (const Field time = f.Field(2)) {
    ScanInts(*time, "%d:%d:%d", {&p.UtcHour, &p.Minute, &p.Second});
    ApplySecondCorrection(app);
  }

  ResetSecondCounters(app);
  ApplyMidnightDateStep(app);
  RunSecondIfImmediate(app);
  app.rx.Bin1108Seen = true;
}

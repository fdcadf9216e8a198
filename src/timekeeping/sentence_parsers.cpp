#include "timekeeping/sentence_parsers.h"

#include <optional>
#include <string>

#include "timekeeping/sentence_fields.h"
#include "timekeeping/sentence_time.h"
#include "timekeeping/time_keeper.h"

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

// "hhmmss[.sss]" into the record's time, then the second correction. A field
// that cannot be read leaves the held time as it was and is not corrected
// again, so the held second does not drift by dSec with every empty field.
// Returns the day carried by the correction.
int ReadNmeaTime(TimeKeeper& tk, const Field& f) {
  if (!f) return 0;
  PpsTimingRecord& p = tk.pps;
  int hour = p.UtcHour, minute = p.Minute, second = p.Second;
  if (ScanInts(*f, "%2d%2d%2d", {&hour, &minute, &second}) != 3) return 0;
  p.UtcHour = hour;
  p.Minute = minute;
  p.Second = second;
  return ApplySecondCorrection(tk);
}

void ReadInt(const Field& f, int& target) {
  if (f) ScanInts(*f, "%d", {&target});
}

void ShowDatum(TimeKeeper& tk, std::string_view label) {
  CopyText(tk.rx.DatumText, label, kDatum);
  tk.view.LabelMapDatum = tk.rx.DatumText;
}

// The base sentence chosen by `BaseMesg` starts the second and, for a kind
// whose time sentence arms the 1PPS, arms the next edge.
void StartSecondIfBase(TimeKeeper& tk, int baseMesg) {
  if (tk.settings.BaseMesg != baseMesg) return;
  ResetSecondCounters(tk);
  if (tk.Kind().timeSentenceArmsPps) tk.pps.PpsArmed = true;
}

}  // namespace

void ParseGga(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);
  ReceiverState& rx = tk.rx;
  ReadNmeaTime(tk, f.Field(1));
  CopyField(rx.LatitudeText, f.Field(2));
  AppendField(rx.LatitudeText, f.Field(3));
  CopyField(rx.LongitudeText, f.Field(4));
  AppendField(rx.LongitudeText, f.Field(5));
  const Field quality = f.Field(6);
  CopyField(rx.StatusText, quality);
  if ((StartsWith(quality, '1') || StartsWith(quality, '2')) && tk.Kind().timeSentenceArmsPps) {
    tk.pps.TimeValid = true;
  }
  CopyField(rx.SatelliteText, f.Field(7));
  CopyField(rx.AntennaText, f.Field(9));
  AppendField(rx.AntennaText, f.Field(10));
  CopyField(rx.GeoidText, f.Field(11));
  AppendField(rx.GeoidText, f.Field(12));

  StartSecondIfBase(tk, 0);
  rx.GgaSeen = true;
}

void ParseRmc(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);
  ReceiverState& rx = tk.rx;
  PpsTimingRecord& p = tk.pps;
  const int dayCarry = ReadNmeaTime(tk, f.Field(1));
  if (const Field status = f.Field(2)) {
    // The status letter becomes the fix digit that GGA would give.
    CopyField(rx.StatusText, status);
    if (rx.StatusText.empty()) rx.StatusText = " ";
    if (StartsWith(status, 'A')) {
      rx.StatusText[0] = '1';
      if (tk.Kind().timeSentenceArmsPps) p.TimeValid = true;
    } else {
      rx.StatusText[0] = '0';
    }
  }
  CopyField(rx.LatitudeText, f.Field(3));
  AppendField(rx.LatitudeText, f.Field(4));
  CopyField(rx.LongitudeText, f.Field(5));
  AppendField(rx.LongitudeText, f.Field(6));
  // "ddmmyy" of this century; the day the time carried moves it too, so the
  // second after a midnight carry gets the new day.
  int day = 0, month = 0, year = 0;
  const Field date = f.Field(9);
  if (date && ScanInts(*date, "%2d%2d%2d", {&day, &month, &year}) == 3) {
    TakeReceiverDate(tk, 2000 + year, month, day, dayCarry);
  }

  StartSecondIfBase(tk, 1);
  rx.RmcSeen = true;
}

void ParseZda(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);
  const int dayCarry = ReadNmeaTime(tk, f.Field(1));
  int day = 0, month = 0, year = 0;
  ReadInt(f.Field(2), day);
  ReadInt(f.Field(3), month);
  ReadInt(f.Field(4), year);
  TakeReceiverDate(tk, year, month, day, dayCarry);
}

void ParseTps(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);  // field 1 is the sub-name
  const Field status = f.Field(3);
  CopyField(tk.rx.TpsStatusText, status);
  if (StartsWith(status, '3')) tk.pps.TimeValid = true;
  tk.rx.TpsSeen = true;
  tk.pps.PpsArmed = true;
}

void ParseSsd(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);  // field 1 is the sub-name
  for (size_t n = 2; n <= f.Count(); ++n) {
    const std::string_view code = *f.Field(n);
    if (code.empty() || code.front() != 'G') continue;
    const std::string_view key = code.substr(0, 4);
    if (key == "G001") {
      ShowDatum(tk, "WGS-84系");
    } else if (key == "G003") {
      ShowDatum(tk, "日本測地系");
    } else {
      ShowDatum(tk, "測地系:" + std::string(code.substr(1, 3)));
    }
    ScanInts(code.substr(1), "%d", {&tk.cfg.ReceiverDatumCode});
  }
}

void ParseGrmm(TimeKeeper& tk, std::string_view body) {
  // Up to the checksum (or the line end when there is none).
  const std::string_view name = body.substr(0, body.find_first_of("*\r\n"));
  ShowDatum(tk, name);
}

void ParseBin1000(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);
  ReceiverState& rx = tk.rx;
  PpsTimingRecord& p = tk.pps;
  CopyField(rx.StatusText, f.Field(1));
  CopyField(rx.SatelliteText, f.Field(2));
  CopyField(rx.LatitudeText, f.Field(3));
  CopyField(rx.LongitudeText, f.Field(4));
  CopyField(rx.AntennaText, f.Field(5));
  CopyField(rx.GeoidText, f.Field(6));
  if (const Field datum = f.Field(7); datum && tk.Kind().binaryDatumCode) {
    if (*datum == "0") {
      ShowDatum(tk, "WGS-84系");
    } else if (*datum == "178") {
      ShowDatum(tk, "日本測地系");
    } else {
      ShowDatum(tk, "測地系:" + std::string(*datum));
    }
  }
  int year = 0, month = 0, day = 0;
  const Field date = f.Field(8);
  if (date && ScanInts(*date, "%d/%d/%d", {&year, &month, &day}) == 3) {
    TakeReceiverDate(tk, year, month, day, 0);
  }

  rx.Bin1000Seen = true;
  if (tk.Kind().timeSentenceArmsPps) p.PpsArmed = true;
}

void ParseBin1108(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);
  PpsTimingRecord& p = tk.pps;
  const Field status = f.Field(1);
  CopyField(tk.rx.TimeMarkStatusText, status);
  if (StartsWith(status, '1')) p.TimeValid = true;
  int hour = p.UtcHour, minute = p.Minute, second = p.Second;
  if (const Field time = f.Field(2); time && ScanInts(*time, "%d:%d:%d", {&hour, &minute, &second}) == 3) {
    p.UtcHour = hour;
    p.Minute = minute;
    p.Second = second;
    ApplySecondCorrection(tk);
  }

  ResetSecondCounters(tk);
  ApplyMidnightDateStep(tk);
  tk.rx.Bin1108Seen = true;
}

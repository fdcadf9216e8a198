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
// again. Returns the seconds of the UTC day the corrected time names (before
// its day carry), or nothing when no time was read.
std::optional<int> ReadNmeaTime(TimeKeeper& tk, const Field& f) {
  int hour = 0, minute = 0, second = 0;
  if (!f || ScanInts(*f, "%2d%2d%2d", {&hour, &minute, &second}) != 3) return std::nullopt;
  return ReadTimeOfDay(tk, hour, minute, second);
}

void ReadInt(const Field& f, int& target) {
  if (f) ScanInts(*f, "%d", {&target});
}

void ShowDatum(TimeKeeper& tk, std::string_view label) {
  CopyText(tk.rx.DatumText, label, kDatum);
  tk.view.LabelMapDatum = tk.rx.DatumText;
}

}  // namespace

void ParseGga(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);
  ReceiverState& rx = tk.rx;
  const bool timeRead = ReadNmeaTime(tk, f.Field(1)).has_value();
  CopyField(rx.LatitudeText, f.Field(2));
  AppendField(rx.LatitudeText, f.Field(3));
  CopyField(rx.LongitudeText, f.Field(4));
  AppendField(rx.LongitudeText, f.Field(5));
  const Field quality = f.Field(6);
  CopyField(rx.StatusText, quality);
  CopyField(rx.SatelliteText, f.Field(7));
  CopyField(rx.AntennaText, f.Field(9));
  AppendField(rx.AntennaText, f.Field(10));
  CopyField(rx.GeoidText, f.Field(11));
  AppendField(rx.GeoidText, f.Field(12));

  const bool base = tk.settings.BaseMesg == 0;
  TakeReading(tk, {.timeRead = timeRead,
                   .fix = StartsWith(quality, '1') || StartsWith(quality, '2'),
                   .base = base,
                   .arms = base});
  rx.GgaSeen = true;
}

void ParseRmc(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);
  ReceiverState& rx = tk.rx;
  const std::optional<int> timeOfDay = ReadNmeaTime(tk, f.Field(1));
  const Field status = f.Field(2);
  if (status) {
    // The status letter becomes the fix digit that GGA would give.
    CopyField(rx.StatusText, status);
    if (rx.StatusText.empty()) rx.StatusText = " ";
    rx.StatusText[0] = StartsWith(status, 'A') ? '1' : '0';
  }
  CopyField(rx.LatitudeText, f.Field(3));
  AppendField(rx.LatitudeText, f.Field(4));
  CopyField(rx.LongitudeText, f.Field(5));
  AppendField(rx.LongitudeText, f.Field(6));
  // "ddmmyy", 2000 + yy read against the date floor; the date goes with
  // this sentence's own time.
  int day = 0, month = 0, year = 0;
  const Field date = f.Field(9);
  if (date && ScanInts(*date, "%2d%2d%2d", {&day, &month, &year}) == 3) {
    TakeReceiverDate(tk, 2000 + year, month, day, timeOfDay.value_or(HeldTimeOfDay(tk.pps)));
  }

  const bool base = tk.settings.BaseMesg == 1;
  TakeReading(tk, {.timeRead = timeOfDay.has_value(),
                   .fix = StartsWith(status, 'A'),
                   .base = base,
                   .arms = base});
  rx.RmcSeen = true;
}

void ParseZda(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);
  const std::optional<int> timeOfDay = ReadNmeaTime(tk, f.Field(1));
  int day = 0, month = 0, year = 0;
  ReadInt(f.Field(2), day);
  ReadInt(f.Field(3), month);
  ReadInt(f.Field(4), year);
  TakeReceiverDate(tk, year, month, day, timeOfDay.value_or(HeldTimeOfDay(tk.pps)));
}

void ParseTps(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);  // field 1 is the sub-name
  const Field status = f.Field(3);
  CopyField(tk.rx.TpsStatusText, status);
  TakeReading(tk, {.fix = StartsWith(status, '3'), .ownStatus = true, .armsAnyKind = true});
  tk.rx.TpsSeen = true;
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
    TakeReceiverDate(tk, year, month, day, HeldTimeOfDay(tk.pps));
  }

  rx.Bin1000Seen = true;
  TakeReading(tk, {.arms = true});
}

void ParseBin1108(TimeKeeper& tk, std::string_view body) {
  const SentenceFields f(body);
  const Field status = f.Field(1);
  CopyField(tk.rx.TimeMarkStatusText, status);
  int hour = 0, minute = 0, second = 0;
  const Field time = f.Field(2);
  const bool timeRead = time && ScanInts(*time, "%d:%d:%d", {&hour, &minute, &second}) == 3;
  if (timeRead) ReadTimeOfDay(tk, hour, minute, second);

  TakeReading(tk, {.timeRead = timeRead, .fix = StartsWith(status, '1'), .base = true, .ownStatus = true});
  ApplyMidnightDateStep(tk);
  tk.rx.Bin1108Seen = true;
}

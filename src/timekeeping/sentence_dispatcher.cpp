#include "timekeeping/sentence_dispatcher.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "common/text_format.h"
#include "timekeeping/second_processing.h"
#include "timekeeping/sentence_parsers.h"
#include "timekeeping/time_keeper.h"

namespace {

constexpr std::string_view kRecordStarts = "$#=";

// The standard NMEA sentences whose kinds are learned, with the talkers that
// are read like GPS ("GN" combined, GLONASS, Galileo, BeiDou, QZSS).
constexpr std::string_view kTalkers[] = {"GP", "GN", "GL", "GA", "GB", "BD", "GQ"};
constexpr struct {
  std::string_view type;
  ReceiverConfig::Sentence kind;
} kKinds[] = {
    {"GGA", ReceiverConfig::kGga}, {"GSA", ReceiverConfig::kGsa}, {"RMC", ReceiverConfig::kRmc},
    {"GSV", ReceiverConfig::kGsv}, {"GLL", ReceiverConfig::kGll}, {"ZDA", ReceiverConfig::kZda},
    {"VTG", ReceiverConfig::kVtg},
};

// The sentence kind of "$ttXXX" for a known talker tt, or kSentenceKinds.
ReceiverConfig::Sentence NmeaKind(std::string_view name) {
  if (name.size() != 6 || name[0] != '$') return ReceiverConfig::kSentenceKinds;
  bool knownTalker = false;
  for (std::string_view talker : kTalkers) knownTalker = knownTalker || name.substr(1, 2) == talker;
  if (!knownTalker) return ReceiverConfig::kSentenceKinds;
  for (const auto& k : kKinds) {
    if (name.substr(3) == k.type) return k.kind;
  }
  return ReceiverConfig::kSentenceKinds;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Where the record after the one at `start` begins. A text sentence runs
// to its line end, so a '$', '#' or '=' inside it (as in "ANTSTATUS=OK")
// starts nothing; without a line end it runs to the next '$'. The marker
// and the lines decoded from frames have no line end and run to the next
// record start after their name.
size_t NextRecord(std::string_view text, size_t start, size_t comma) {
  size_t next = std::string_view::npos;
  if (text[start] == '$') {
    const size_t lineEnd = text.find('\n', comma);
    const size_t dollar = text.find('$', comma + 1);
    next = lineEnd != std::string_view::npos && lineEnd < dollar ? lineEnd + 1 : dollar;
    if (next != std::string_view::npos) next = text.find_first_of(kRecordStarts, next);
  } else {
    next = text.find_first_of(kRecordStarts, comma + 1);
  }
  return next == std::string_view::npos ? text.size() : next;
}

bool TestListShows(const TimeKeeper& tk, int mode) {
  const TestDialogModel& d = tk.testDialog;
  return d.TestDialogShown && d.DisplayOn && d.RadioGroupMode == mode;
}

// "=PPS": the 1PPS edge was taken; its delay after the time sentence is
// measured and the second is processed.
void HandlePpsMarker(TimeKeeper& tk) {
  SecondTiming& k = tk.timing;
  PpsTimingRecord& p = tk.pps;
  p.DelayOutOfRange = false;
  k.PpsMarkerSeen = true;
  k.SentenceCount -= 1;  // the marker is not a sentence
  if (tk.settings.BeepCond == 1) tk.beeper.Beep();
  // The edge must come 1 to 9 ticks after the time sentence.
  if (k.SentenceToPpsTicks == 0 || k.SentenceToPpsTicks > 9) {
    k.SentenceToPpsTicks = 0;
    p.DelayOutOfRange = true;
  }
  ProcessSecond(tk);

  tk.delaySetting = k.SentenceToPpsTicks - 1 > 0 ? k.SentenceToPpsTicks - 1 : 0;
  tk.view.EditdSS = StrPrintf("%+d", tk.delaySetting * 10 + 10);
  k.DelayTicks = tk.delaySetting;
  if (p.DelayOutOfRange) {
    tk.view.LabelPpsCtr.assign(1, '?');
  } else {
    tk.view.LabelPpsCtr.clear();
  }

  if (TestListShows(tk, 1)) {
    std::string row = StrPrintf("%02d:%02d:%02d  dCnt : %5u", p.LocalHour, p.Minute, p.Second,
                                p.EdgeInterval);
    if (p.IntervalCount >= 2) {
      const double spread = std::sqrt(p.IntervalM2 / (p.IntervalCount - 1)) + 0.5;
      row += StrPrintf(" (Avr. %7u ±%3u)", TruncateToU32(p.IntervalMean), TruncateToU32(spread));
    }
    tk.testDialog.AddRow(row);
  }

  p.TimeReady = p.TimeValid;
  p.TimeValid = false;
}

void Dispatch(TimeKeeper& tk, std::string_view name, std::string_view body) {
  if (name == "#1000") return ParseBin1000(tk, body);
  if (name == "#1108") return ParseBin1108(tk, body);
  if (name == "$PFEC") {
    const std::string_view sub = body.substr(0, 5);
    if (sub == "GPtps") return ParseTps(tk, body);
    if (sub == "GPssd") return ParseSsd(tk, body);
    return;
  }
  if (name == "$PGRMM") return ParseGrmm(tk, body);

  const ReceiverConfig::Sentence kind = NmeaKind(name);
  if (kind == ReceiverConfig::kSentenceKinds) return;
  if (tk.cfg.LearnSentences) tk.cfg.SentenceEnabled[kind] = true;
  switch (kind) {
    case ReceiverConfig::kGga:
      ParseGga(tk, body);
      break;
    case ReceiverConfig::kRmc:
      ParseRmc(tk, body);
      break;
    case ReceiverConfig::kZda:
      if (!tk.rx.RmcSeen) ParseZda(tk, body);
      break;
    default:
      break;
  }
}

}  // namespace

bool NmeaChecksumAcceptable(std::string_view sentence) {
  const size_t star = sentence.find('*', 1);
  if (star == std::string_view::npos || star + 2 >= sentence.size()) return true;
  const int high = HexDigit(sentence[star + 1]);
  const int low = HexDigit(sentence[star + 2]);
  if (high < 0 || low < 0) return true;  // no "*hh": taken as without a checksum
  uint8_t sum = 0;
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<uint8_t>(sentence[i]);
  return sum == high * 16 + low;
}

void ProcessReceivedText(TimeKeeper& tk, std::string_view text, std::span<const TextBurst> bursts) {
  size_t start = 0;
  size_t burst = 0;
  if (bursts.empty()) tk.NoteArrivalNow();
  while (start < text.size()) {
    for (; burst < bursts.size() && bursts[burst].offset <= start; ++burst) {
      tk.LineArrival = bursts[burst].start;
    }
    const size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) return;  // no comma: ignored
    const std::string_view name = text.substr(start, comma - start);
    const size_t next = NextRecord(text, start, comma);
    const std::string_view sentence = text.substr(start, next - start);
    const std::string_view body = text.substr(comma + 1, next - comma - 1);
    start = next;

    const char first = sentence[0];
    if (TestListShows(tk, 0)) tk.testDialog.AddRow(std::string(sentence));
    if (first == '$' && !NmeaChecksumAcceptable(sentence)) {
      tk.ChecksumErrors += 1;
      continue;
    }
    if (first == '$' || first == '#' || first == '=') {
      tk.timing.SentenceCount += 1;
      if (first == '$') tk.cfg.NmeaMode = true;
      if (first == '#') tk.cfg.NmeaMode = false;
    }
    if (name == "=PPS") HandlePpsMarker(tk);
    if (tk.testDialog.SentencesToLog) tk.log.LogLine(std::string(sentence));

    const unsigned startsBefore = tk.timing.SecondStarts;
    Dispatch(tk, name, body);
    // A time sentence that started the second: without 1PPS and without a
    // delay, the second is processed at once, with this sentence's data in.
    if (tk.timing.SecondStarts != startsBefore && !tk.pps.PpsSeen && tk.timing.DelayTicks == 0) {
      ProcessSecond(tk);
    }
  }
}

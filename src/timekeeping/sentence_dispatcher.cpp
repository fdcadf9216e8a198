#include "timekeeping/sentence_dispatcher.h"

#include <cmath>
#include <cstdint>
#include <string_view>

#include "app/app.h"
#include "app/text_format.h"
#include "timekeeping/second_processing.h"
#include "timekeeping/sentence_parsers.h"

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

uint32_t TruncateToU32(double x) {
  if (!(x > 0)) return 0;
  if (x >= 4294967295.0) return UINT32_MAX;
  return static_cast<uint32_t>(x);
}

bool TestListShows(const App& app, int mode) {
  const TestDialogModel& d = app.testDialog;
  return d.TestDialogShown && d.DisplayOn && d.RadioGroupMode == mode;
}

// "=PPS": the 1PPS edge was taken; its delay after the time sentence is
// measured and the second is processed.
void HandlePpsMarker(App& app) {
  TickState& k = app.tick;
  PpsTimingRecord& p = app.pps;
  p.DelayOutOfRange = false;
  k.PpsMarkerSeen = true;
  k.SentenceCount -= 1;  // the marker is not a sentence
  if (app.settings.BeepCond == 1) app.platform.beeper.Beep();
  // The edge must come 1 to 9 ticks after the time sentence.
  if (k.SentenceToPpsTicks == 0 || k.SentenceToPpsTicks > 9) {
    k.SentenceToPpsTicks = 0;
    p.DelayOutOfRange = true;
  }
  ProcessSecond(app);

  app.settings.dSSS = k.SentenceToPpsTicks - 1 > 0 ? k.SentenceToPpsTicks - 1 : 0;
  app.view.EditdSS = StrPrintf("%+d", app.settings.dSSS * 10 + 10);
  k.DelayTicks = app.settings.dSSS;
  if (p.DelayOutOfRange) {
    app.view.LabelPpsCtr.assign(1, '?');
  } else {
    app.view.LabelPpsCtr.clear();
  }

  if (TestListShows(app, 1)) {
    std::string row = StrPrintf("%02d:%02d:%02d  dCnt : %5u", p.LocalHour, p.Minute, p.Second,
                                p.EdgeInterval);
    if (p.IntervalCount >= 2) {
      const double spread = std::sqrt(p.IntervalM2 / (p.IntervalCount - 1)) + 0.5;
      row += StrPrintf(" (Avr. %7u ±%3u)", TruncateToU32(p.IntervalMean), TruncateToU32(spread));
    }
    app.testDialog.AddRow(row);
  }

  p.TimeReady = p.TimeValid;
  p.TimeValid = false;
}

void Dispatch(App& app, std::string_view name, std::string_view body) {
  if (name == "#1000") return ParseBin1000(app, body);
  if (name == "#1108") return ParseBin1108(app, body);
  if (name == "$PFEC") {
    const std::string_view sub = body.substr(0, 5);
    if (sub == "GPtps") return ParseTps(app, body);
    if (sub == "GPssd") return ParseSsd(app, body);
    return;
  }
  if (name == "$PGRMM") return ParseGrmm(app, body);

  const ReceiverConfig::Sentence kind = NmeaKind(name);
  if (kind == ReceiverConfig::kSentenceKinds) return;
  if (app.cfg.LearnSentences) app.cfg.SentenceEnabled[kind] = true;
  switch (kind) {
    case ReceiverConfig::kGga:
      ParseGga(app, body);
      break;
    case ReceiverConfig::kRmc:
      ParseRmc(app, body);
      break;
    case ReceiverConfig::kZda:
      if (!app.rx.RmcSeen) ParseZda(app, body);
      break;
    default:
      break;
  }
}

}  // namespace

void ProcessReceivedText(App& app, const std::string& received) {
  const std::string_view text(received);
  size_t start = 0;
  while (start < text.size()) {
    const size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) return;  // no comma: ignored
    const std::string_view name = text.substr(start, comma - start);
    size_t next = text.find_first_of(kRecordStarts, comma + 1);
    if (next == std::string_view::npos) next = text.size();
    const std::string_view sentence = text.substr(start, next - start);
    const std::string_view body = text.substr(comma + 1, next - comma - 1);

    const char first = text[start];
    if (first == '$' || first == '#' || first == '=') {
      app.tick.SentenceCount += 1;
      if (first == '$') app.cfg.NmeaMode = true;
      if (first == '#') app.cfg.NmeaMode = false;
    }
    if (name == "=PPS") HandlePpsMarker(app);
    if (TestListShows(app, 0)) app.testDialog.AddRow(std::string(sentence));
    if (app.testDialog.SentencesToLog) app.LogLine(std::string(sentence));
    Dispatch(app, name, body);

    start = next;
  }
}

#include "commands/jupiter_commands.h"

#include "common/text_format.h"
#include "link/jupiter_frame.h"

namespace {

constexpr int kModeSwitchMs = 5000;
// How long the text of a setting stays on show before the switch back to
// NMEA replaces it.
constexpr int kSettingShownMs = 1000;

constexpr const char* kItemHints[kJupiterItems] = {
    "約６秒かかります",     "約６秒かかります",     "約12秒かかります",     "約12秒かかります",
    "次の電源オンから有効", "次の電源オンから有効", "次の電源オンから有効", "",
};

void Append(CommandSequence& to, std::initializer_list<CommandStep> steps) {
  to.insert(to.end(), steps.begin(), steps.end());
}

void SwitchToBinary(CommandSequence& s) {
  Append(s, {step::Status("バイナリーフォーマットへ切替中"), step::WriteText(kJupiterToBinaryText),
             step::Wait(kModeSwitchMs)});
}

void SwitchToNmea(CommandSequence& s) {
  Append(s, {step::Status("ＮＭＥＡモードへ切替中"), step::Write(JupiterToNmeaMessage()),
             step::Wait(kModeSwitchMs)});
}

// The status text and message of a datum item.
CommandSequence DatumSteps(const JupiterChoice& c) {
  switch (c.item) {
    case kJupiterDatumWgs84:
      return {step::Status("ＷＧＳ－８４系に設定中"), step::Write(JupiterDatumMessage(0))};
    case kJupiterDatumTokyo:
      return {step::Status("日本測地系に設定中"), step::Write(JupiterDatumMessage(178))};
    default:
      return {step::Status(StrPrintf("測地系(%d)に設定中", c.datum)),
              step::Write(JupiterDatumMessage(c.datum))};
  }
}

}  // namespace

std::string JupiterHint(int item, bool nmeaMode) {
  if (item < 0 || item >= kJupiterItems) return {};
  if (!nmeaMode && item > kJupiterToBinary) return {};
  return kItemHints[item];
}

bool JupiterDatumEditEnabled(int item) { return item == kJupiterDatumOther; }

bool JupiterSentenceBoxesEnabled(int item, bool nmeaMode) {
  return item == kJupiterSentences && nmeaMode;
}

bool JupiterDatumAccepted(int n) { return (n >= 0 && n <= 188) || (n >= 300 && n <= 304); }

InputCheck CheckJupiterInput(const JupiterChoice& c, std::string_view datumText, bool nmeaMode,
                             int baseMesg) {
  if (c.item == kJupiterSentences) {
    if (!nmeaMode) return {"バイナリ通信中"};
    if (!KeepsBaseSentence(baseMesg, c.gga, c.rmc)) return {kNoBaseSentence};
  }
  if (c.item == kJupiterDatumOther) return CheckDatumText(datumText, JupiterDatumAccepted);
  return {};
}

std::vector<uint8_t> JupiterToNmeaMessage() { return BuildJupiterFrame(1331, {0, 0, 1}, 0); }

std::vector<uint8_t> JupiterPinningMessage(bool on) {
  std::vector<uint16_t> data(9, 0);
  if (!on) data[1] = 4;
  return BuildJupiterFrame(1221, data, 0);
}

std::vector<uint8_t> JupiterDatumMessage(int datum) {
  return BuildJupiterFrame(1211, {0, static_cast<uint16_t>(datum)}, 0);
}

std::string JupiterSentenceText(ReceiverConfig::Sentence sentence, bool on) {
  const char* name = sentence == ReceiverConfig::kGga   ? "GGA"
                     : sentence == ReceiverConfig::kRmc ? "RMC"
                     : sentence == ReceiverConfig::kGsa ? "GSA"
                                                        : "GSV";
  return StrPrintf("$PRWIILOG,%s,%c,T,1,0", name, on ? 'A' : 'V');
}

CommandSequence SendJupiterCommand(const JupiterChoice& c, const ReceiverConfig& cfg) {
  const bool nmea = cfg.NmeaMode;
  CommandSequence s;
  switch (c.item) {
    case kJupiterToNmea:
      if (nmea) {
        s.push_back(step::Message("現在NMEA-0183モードで通信中"));
        break;
      }
      s.push_back(step::Lock());
      SwitchToNmea(s);
      Append(s, {step::RestartReception(), step::Unlock()});
      break;
    case kJupiterToBinary:
      if (!nmea) {
        s.push_back(step::Message("現在ﾊﾞｲﾅﾘｰﾌｫｰﾏｯﾄで通信中"));
        break;
      }
      s.push_back(step::Lock());
      SwitchToBinary(s);
      Append(s, {step::RestartReception(), step::Unlock()});
      break;
    case kJupiterPinningOn:
    case kJupiterPinningOff: {
      const bool on = c.item == kJupiterPinningOn;
      if (nmea) {
        s.push_back(step::Lock());
        SwitchToBinary(s);
      }
      Append(s, {step::Status(on ? "ﾎﾟｼﾞｼｮﾝﾋﾟﾆﾝｸﾞ設定中" : "ﾎﾟｼﾞｼｮﾝﾋﾟﾆﾝｸﾞ解除中"),
                 step::Write(JupiterPinningMessage(on))});
      if (nmea) {
        s.push_back(step::Wait(kSettingShownMs));
        SwitchToNmea(s);
      }
      s.push_back(step::Message(on ? "ﾎﾟｼﾞｼｮﾝﾋﾟﾆﾝｸﾞを設定しました" : "ﾎﾟｼﾞｼｮﾝﾋﾟﾆﾝｸﾞを解除しました"));
      if (nmea) s.push_back(step::Unlock());
      break;
    }
    case kJupiterDatumWgs84:
    case kJupiterDatumTokyo:
    case kJupiterDatumOther: {
      if (nmea) {
        s.push_back(step::Lock());
        SwitchToBinary(s);
      }
      const CommandSequence datum = DatumSteps(c);
      s.insert(s.end(), datum.begin(), datum.end());
      if (nmea) {
        s.push_back(step::Wait(kSettingShownMs));
        SwitchToNmea(s);
      }
      s.push_back(step::Message("次の電源オンから有効になります"));
      if (nmea) s.push_back(step::Unlock());
      break;
    }
    case kJupiterSentences: {
      if (!nmea) break;
      const struct {
        ReceiverConfig::Sentence sentence;
        bool box;
      } boxes[] = {{ReceiverConfig::kGga, c.gga},
                   {ReceiverConfig::kRmc, c.rmc},
                   {ReceiverConfig::kGsa, c.gsa},
                   {ReceiverConfig::kGsv, c.gsv}};
      // Each flag follows its own command, so a failed write leaves the
      // flags of the sentences that were not told.
      for (const auto& b : boxes) {
        if (cfg.SentenceEnabled[b.sentence] == b.box) continue;
        Append(s, {step::WriteText(JupiterSentenceText(b.sentence, b.box)),
                   step::SetSentence(b.sentence, b.box)});
      }
      break;
    }
    default:
      return {};
  }
  s.push_back(step::EndLearning());
  return s;
}

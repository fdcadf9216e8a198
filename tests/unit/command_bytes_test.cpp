// The bytes every command puts on the line, the steps of each command, and
// the dialogs' input checks, without a window or a port.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "commands/cca_commands.h"
#include "commands/gt77_commands.h"
#include "commands/jupiter_commands.h"
#include "commands/receiver_init.h"
#include "support/command_steps.h"

namespace {

using Lines = std::vector<std::string>;

std::string Zeros(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += " 00";
  return s;
}

TEST(CommandBytes, EveryMessageByteForByte) {
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string hex;
  } cases[] = {
      {"1331 to NMEA", JupiterToNmeaMessage(),
       "ff 81 33 05 03 00 00 00 cb 78 00 00 00 00 01 00 ff ff"},
      {"1221 pinning on", JupiterPinningMessage(true),
       "ff 81 c5 04 09 00 00 00 33 79" + Zeros(18) + " 00 00"},
      {"1221 pinning off", JupiterPinningMessage(false),
       "ff 81 c5 04 09 00 00 00 33 79 00 00 04 00" + Zeros(14) + " fc ff"},
      {"1211 WGS-84", JupiterDatumMessage(0), "ff 81 bb 04 02 00 00 00 44 79 00 00 00 00 00 00"},
      {"1211 Tokyo", JupiterDatumMessage(178), "ff 81 bb 04 02 00 00 00 44 79 00 00 b2 00 4e ff"},
      // 300 = 0x012C; its checksum 0xFED4.
      {"1211 datum 300", JupiterDatumMessage(300),
       "ff 81 bb 04 02 00 00 00 44 79 00 00 2c 01 d4 fe"},
      {"1211 datum 304", JupiterDatumMessage(304),
       "ff 81 bb 04 02 00 00 00 44 79 00 00 30 01 d0 fe"},
      {"CCA reset", CcaResetMessage(), "c6" + Zeros(18) + " 01 da"},
      {"CCA time-mark output", CcaTimeMarkOutputMessage(), "c0 01" + Zeros(18) + " da"},
      {"CCA WGS-84", CcaDatumMessage(0), "c6 02 05 00 01 01 00" + Zeros(12) + " 40 da"},
      {"CCA Tokyo", CcaDatumMessage(2), "c6 02 05 00 01 01 02" + Zeros(12) + " 40 da"},
      {"CCA datum 47", CcaDatumMessage(47), "c6 02 05 00 01 01 2f" + Zeros(12) + " 40 da"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ShowBytes(c.bytes), c.hex);
  }
  EXPECT_EQ(CcaDatumMessage(47).size(), kCcaMessageLength);
}

TEST(CommandBytes, JupiterSentenceTexts) {
  EXPECT_EQ(JupiterSentenceText(ReceiverConfig::kGga, true), "$PRWIILOG,GGA,A,T,1,0");
  EXPECT_EQ(JupiterSentenceText(ReceiverConfig::kRmc, false), "$PRWIILOG,RMC,V,T,1,0");
  EXPECT_EQ(JupiterSentenceText(ReceiverConfig::kGsa, true), "$PRWIILOG,GSA,A,T,1,0");
  EXPECT_EQ(JupiterSentenceText(ReceiverConfig::kGsv, false), "$PRWIILOG,GSV,V,T,1,0");
}

const std::string kToBinary = "write $PRWIIPRO,,RBIN\\r\\n";
const std::string kToNmea = "write ff 81 33 05 03 00 00 00 cb 78 00 00 00 00 01 00 ff ff";

Lines SwitchToBinary() { return {"status バイナリーフォーマットへ切替中", kToBinary, "wait 5000"}; }
Lines SwitchToNmea() { return {"status ＮＭＥＡモードへ切替中", kToNmea, "wait 5000"}; }
Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

ReceiverConfig Config(bool nmea, std::initializer_list<ReceiverConfig::Sentence> on = {}) {
  ReceiverConfig cfg;
  cfg.NmeaMode = nmea;
  cfg.LearnSentences = true;
  for (auto s : on) cfg.SentenceEnabled[s] = true;
  return cfg;
}

TEST(JupiterCommand, StepsOfEachItemInEachMode) {
  using S = ReceiverConfig;
  const std::string pinOn = "write " + ShowBytes(JupiterPinningMessage(true));
  const std::string pinOff = "write " + ShowBytes(JupiterPinningMessage(false));
  const struct {
    const char* what;
    JupiterChoice choice;
    ReceiverConfig cfg;
    Lines steps;
  } cases[] = {
      {"to NMEA while NMEA", {kJupiterToNmea}, Config(true),
       {"message 現在NMEA-0183モードで通信中", "end learning"}},
      {"to NMEA from binary", {kJupiterToNmea}, Config(false),
       Join({{"lock"}, SwitchToNmea(), {"restart", "unlock", "end learning"}})},
      {"to binary from NMEA", {kJupiterToBinary}, Config(true),
       Join({{"lock"}, SwitchToBinary(), {"restart", "unlock", "end learning"}})},
      {"to binary while binary", {kJupiterToBinary}, Config(false),
       {"message 現在ﾊﾞｲﾅﾘｰﾌｫｰﾏｯﾄで通信中", "end learning"}},
      {"pinning on in binary: the message alone", {kJupiterPinningOn}, Config(false),
       {"status ﾎﾟｼﾞｼｮﾝﾋﾟﾆﾝｸﾞ設定中", pinOn, "message ﾎﾟｼﾞｼｮﾝﾋﾟﾆﾝｸﾞを設定しました",
        "end learning"}},
      // Each setting's text stands a second before the switch back replaces it.
      {"pinning off in NMEA", {kJupiterPinningOff}, Config(true),
       Join({{"lock"}, SwitchToBinary(), {"status ﾎﾟｼﾞｼｮﾝﾋﾟﾆﾝｸﾞ解除中", pinOff, "wait 1000"},
             SwitchToNmea(), {"message ﾎﾟｼﾞｼｮﾝﾋﾟﾆﾝｸﾞを解除しました", "unlock", "end learning"}})},
      {"WGS-84 in binary", {kJupiterDatumWgs84}, Config(false),
       {"status ＷＧＳ－８４系に設定中", "write " + ShowBytes(JupiterDatumMessage(0)),
        "message 次の電源オンから有効になります", "end learning"}},
      {"Tokyo in NMEA", {kJupiterDatumTokyo}, Config(true),
       Join({{"lock"}, SwitchToBinary(),
             {"status 日本測地系に設定中", "write " + ShowBytes(JupiterDatumMessage(178)),
              "wait 1000"},
             SwitchToNmea(), {"message 次の電源オンから有効になります", "unlock", "end learning"}})},
      {"datum 300 in NMEA", {kJupiterDatumOther, 300}, Config(true),
       Join({{"lock"}, SwitchToBinary(),
             {"status 測地系(300)に設定中", "write ff 81 bb 04 02 00 00 00 44 79 00 00 2c 01 d4 fe",
              "wait 1000"},
             SwitchToNmea(), {"message 次の電源オンから有効になります", "unlock", "end learning"}})},
      {"sentences: only the changes, each followed by its flag",
       {kJupiterSentences, 0, false, true, true, false},
       Config(true, {S::kGga, S::kRmc, S::kGsv}),
       {"write $PRWIILOG,GGA,V,T,1,0\\r\\n", "sentence GGA off", "write $PRWIILOG,GSA,A,T,1,0\\r\\n",
        "sentence GSA on", "write $PRWIILOG,GSV,V,T,1,0\\r\\n", "sentence GSV off", "end learning"}},
      {"sentences with nothing changed send nothing", {kJupiterSentences, 0, true, true, false, false},
       Config(true, {S::kGga, S::kRmc}), {"end learning"}},
      {"sentences in binary send nothing", {kJupiterSentences, 0, true, false, false, false},
       Config(false), {"end learning"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Describe(SendJupiterCommand(c.choice, c.cfg)), c.steps);
  }
}

TEST(JupiterCommand, DialogRules) {
  const Lines hintsNmea = {"約６秒かかります",     "約６秒かかります",     "約12秒かかります",
                           "約12秒かかります",     "次の電源オンから有効", "次の電源オンから有効",
                           "次の電源オンから有効", ""};
  for (int item = 0; item < kJupiterItems; ++item) {
    SCOPED_TRACE(item);
    EXPECT_EQ(JupiterHint(item, true), hintsNmea[item]);
    EXPECT_EQ(JupiterHint(item, false), item <= 1 ? hintsNmea[item] : "");
    EXPECT_EQ(JupiterDatumEditEnabled(item), item == 6);
    EXPECT_EQ(JupiterSentenceBoxesEnabled(item, true), item == 7);
    EXPECT_FALSE(JupiterSentenceBoxesEnabled(item, false));
  }
}

TEST(Gt77Command, StepsOfTheDialogsCases) {
  using S = ReceiverConfig;
  auto choice = [](std::initializer_list<S::Sentence> boxes, int traim, int pps, int datum) {
    Gt77Choice c;
    for (auto s : boxes) c.sentences[s] = true;
    c.traim = traim;
    c.ppsControl = pps;
    c.datum = datum;
    return c;
  };
  auto cfg = [](std::initializer_list<S::Sentence> on, int datum) {
    ReceiverConfig r = Config(true, on);
    r.ReceiverDatumCode = datum;
    return r;
  };
  const struct {
    const char* what;
    Gt77Choice choice;
    ReceiverConfig cfg;
    Lines steps;
  } cases[] = {
      {"nothing changed: the selection goes out bare", choice({S::kGga, S::kRmc}, 0, 1, 1),
       cfg({S::kGga, S::kRmc}, 1),
       {"write $PFEC,GPint\\r\\n", "end learning", "write $PFEC,GPrrs,0,100,1\\r\\n"}},
      {"GGA off, ZDA on", choice({S::kRmc, S::kZda}, 0, 1, 1), cfg({S::kGga, S::kRmc}, 1),
       {"write $PFEC,GPint,GGA00,ZDA01\\r\\n", "sentence GGA off", "sentence ZDA on",
        "end learning", "write $PFEC,GPrrs,0,100,1\\r\\n"}},
      {"all seven on, in the receiver's order",
       choice({S::kVtg, S::kZda, S::kGll, S::kRmc, S::kGsv, S::kGsa, S::kGga}, 2, 3, 1),
       cfg({}, 1),
       {"write $PFEC,GPint,GGA01,GSA01,GSV01,RMC01,GLL01,ZDA01,VTG01\\r\\n", "sentence GGA on",
        "sentence GSA on", "sentence GSV on", "sentence RMC on", "sentence GLL on",
        "sentence ZDA on", "sentence VTG on", "end learning", "write $PFEC,GPrrs,2,100,3\\r\\n"}},
      {"receiver on Tokyo, WGS-84 chosen", choice({S::kGga}, 1, 0, 1), cfg({S::kGga}, 3),
       {"write $PFEC,GPint\\r\\n", "end learning", "write $PFEC,GPrrs,1,100,0\\r\\n",
        "write $PFEC,GPset,G001\\r\\n", "datum 1", "write $PFEC,GPsrq\\r\\n"}},
      {"datum 7 typed", choice({S::kGga}, 0, 1, 7), cfg({S::kGga}, 0),
       {"write $PFEC,GPint\\r\\n", "end learning", "write $PFEC,GPrrs,0,100,1\\r\\n",
        "write $PFEC,GPset,G007\\r\\n", "datum 7", "write $PFEC,GPsrq\\r\\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Describe(SendGt77Command(c.choice, c.cfg)), c.steps);
  }
}

TEST(CcaCommand, StatusAndMessageOfEachItem) {
  const struct {
    CcaChoice choice;
    Lines steps;
  } cases[] = {
      {{kCcaReset, 12}, {"status リセット要求中", "write " + ShowBytes(CcaResetMessage())}},
      {{kCcaTimeMarkOutput}, {"status ＴＭＭ出力要求中", "write " + ShowBytes(CcaTimeMarkOutputMessage())}},
      {{kCcaDatumWgs84, 12}, {"status WGS-84系変更要求中", "write " + ShowBytes(CcaDatumMessage(0))}},
      {{kCcaDatumTokyo}, {"status 日本測地系変更要求中", "write " + ShowBytes(CcaDatumMessage(2))}},
      {{kCcaDatumOther, 47}, {"status 測地系変更要求中", "write " + ShowBytes(CcaDatumMessage(47))}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.choice.item);
    EXPECT_EQ(Describe(SendCcaCommand(c.choice)), c.steps);
  }
}

TEST(StartupCommands, ByKind) {
  EXPECT_EQ(Describe(StartupCommandSequence(StartupCommands::kGt77)),
            (Lines{"write $PFEC,GPint,tps01\\r\\n", "wait 1000", "write $PFEC,GPsrq\\r\\n"}));
  EXPECT_EQ(Describe(StartupCommandSequence(StartupCommands::kCca370h)),
            (Lines{"status ＴＭＭ出力要求中", "write c0 01" + Zeros(18) + " da"}));
  EXPECT_TRUE(StartupCommandSequence(StartupCommands::kNone).empty());
  for (int kind = 0; kind <= 5; ++kind) {
    SCOPED_TRACE(kind);
    ReceiverConfig cfg = Config(true, {ReceiverConfig::kGga});
    EXPECT_EQ(RunReceiverInitialisation(cfg, TraitsOf(kind)), kind <= 2);
    EXPECT_TRUE(cfg.LearnSentences);
    EXPECT_FALSE(cfg.SentenceEnabled[ReceiverConfig::kGga]);
  }
}

constexpr const char* kEnter = "測地系ｺｰﾄﾞを入力して下さい";
constexpr const char* kInvalid = "測地系ｺｰﾄﾞが正しくありません";

TEST(CommandInput, ReadDecimalAsScanfReadsIt) {
  const struct {
    const char* text;
    std::optional<int> value;
  } cases[] = {
      {"300", 300}, {" 7", 7},  {"+5", 5},     {"-1", -1}, {"12x", 12}, {"", std::nullopt},
      {"x1", std::nullopt},     {"-", std::nullopt},       {" ", std::nullopt},
      {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
      // Full-width digits and signs, as an input method gives them.
      {"３００", 300}, {"－１", -1}, {"＋５", 5}, {" １2３x", 123}, {"３\xEF\xBC", 3},
      {"－", std::nullopt}, {"ｘ１", std::nullopt}, {"\xEF\xBC", std::nullopt},
      {"\xEF\xBC\x9A", std::nullopt},  // U+FF1A, just past the digits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReadDecimal(c.text), c.value);
  }
}

TEST(CommandInput, JupiterChecks) {
  const struct {
    int item;
    const char* datum;
    bool nmea;
    int baseMesg;
    bool gga, rmc;
    std::string fault;
    int datumRead;
  } cases[] = {
      {6, "300", true, 0, true, true, "", 300},
      {6, "0", true, 0, true, true, "", 0},
      {6, "188", false, 0, true, true, "", 188},
      {6, "304", true, 0, true, true, "", 304},
      {6, "189", true, 0, true, true, kInvalid, 0},
      {6, "299", true, 0, true, true, kInvalid, 0},
      {6, "305", true, 0, true, true, kInvalid, 0},
      {6, "-1", true, 0, true, true, kInvalid, 0},
      {6, "", true, 0, true, true, kEnter, 0},
      {6, "ab", true, 0, true, true, kEnter, 0},
      {6, "３００", true, 0, true, true, "", 300},
      {6, "３０５", true, 0, true, true, kInvalid, 0},
      {4, "ab", true, 0, true, true, "", 0},       // only item 6 reads the box
      {7, "", false, 0, true, true, "バイナリ通信中", 0},
      {7, "", true, 0, false, true, "基準センテンスなし", 0},
      {7, "", true, 1, true, false, "基準センテンスなし", 0},
      {7, "", true, 1, false, true, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.item) + " '" + c.datum + "'");
    JupiterChoice choice{c.item, 0, c.gga, c.rmc};
    const InputCheck check = CheckJupiterInput(choice, c.datum, c.nmea, c.baseMesg);
    EXPECT_EQ(check.fault, c.fault);
    EXPECT_EQ(check.focusDatum, c.fault == kEnter || c.fault == kInvalid);
    if (check.Passed()) {
      EXPECT_EQ(check.datum, c.datumRead);
    }
  }
}

TEST(CommandInput, Gt77Checks) {
  const struct {
    int datumChoice;
    const char* datum;
    int baseMesg;
    bool gga, rmc;
    std::string fault;
    int datumNumber;
  } cases[] = {
      {kGt77Wgs84, "xx", 0, true, false, "", 1},
      {kGt77Tokyo, "", 1, false, true, "", 3},
      {kGt77OtherDatum, "7", 0, true, true, "", 7},
      {kGt77OtherDatum, "171", 0, true, true, "", 171},
      {kGt77OtherDatum, "1", 0, true, true, "", 1},
      {kGt77OtherDatum, "0", 0, true, true, kInvalid, 0},
      {kGt77OtherDatum, "172", 0, true, true, kInvalid, 0},
      {kGt77OtherDatum, "", 0, true, true, kEnter, 0},
      {kGt77Wgs84, "", 0, false, true, "基準センテンスなし", 0},
      {kGt77Wgs84, "", 1, true, false, "基準センテンスなし", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.datumChoice) + " '" + c.datum + "'");
    Gt77Choice choice;
    choice.sentences[ReceiverConfig::kGga] = c.gga;
    choice.sentences[ReceiverConfig::kRmc] = c.rmc;
    const InputCheck check = CheckGt77Input(choice, c.datumChoice, c.datum, c.baseMesg);
    EXPECT_EQ(check.fault, c.fault);
    if (check.Passed()) {
      EXPECT_EQ(choice.datum, c.datumNumber);
    }
  }
}

TEST(CommandInput, CcaChecks) {
  const struct {
    int item;
    const char* datum;
    std::string fault;
  } cases[] = {
      {kCcaDatumOther, "47", ""}, {kCcaDatumOther, "0", ""},      {kCcaDatumOther, "48", kInvalid},
      {kCcaDatumOther, "-1", kInvalid}, {kCcaDatumOther, "", kEnter}, {kCcaReset, "", ""},
      {kCcaDatumTokyo, "99", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.item) + " '" + c.datum + "'");
    EXPECT_EQ(CheckCcaInput(CcaChoice{c.item}, c.datum).fault, c.fault);
  }
  EXPECT_EQ(CheckCcaInput(CcaChoice{kCcaDatumOther}, "47").datum, 47);
}

}  // namespace

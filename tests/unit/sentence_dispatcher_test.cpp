#include "timekeeping/sentence_dispatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/app.h"
#include "fakes/fake_platform.h"

namespace {

constexpr const char* kGga =
    "$GPGGA,120000,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,*5C\r\n";
constexpr const char* kRmc =
    "$GPRMC,120000,A,3540.5000,N,13945.2500,E,0.0,0.0,011225,,,A*6A\r\n";
constexpr const char* kMarker = "=PPS,,";

struct Dispatcher : ::testing::Test {
  FakePlatform fake;
  App app{fake.platform};

  void Feed(const std::string& text) { ProcessReceivedText(app, text); }
  // What the tick does between two texts while no marker has come.
  void Ticks(int n) {
    if (!app.tick.PpsMarkerSeen) app.tick.SentenceToPpsTicks += n;
  }
  void ShowTestList(int mode) {
    app.testDialog.TestDialogShown = true;
    app.testDialog.DisplayOn = true;
    app.testDialog.RadioGroupMode = mode;
  }
};

TEST_F(Dispatcher, MarkerBeforeGgaInOneTextClosesTheOldSecondFirst) {
  Feed(kGga);
  EXPECT_TRUE(app.pps.TimeValid);
  EXPECT_TRUE(app.pps.PpsArmed);
  Ticks(3);
  app.pps.PpsArmed = false;

  Feed(std::string(kMarker) + kGga);
  // The marker measured 3 ticks from the previous GGA...
  EXPECT_FALSE(app.pps.DelayOutOfRange);
  EXPECT_EQ(app.settings.dSSS, 2);
  EXPECT_EQ(app.view.EditdSS, "+30");
  EXPECT_EQ(app.tick.DelayTicks, 2);
  EXPECT_EQ(app.view.LabelPpsCtr, "");
  EXPECT_TRUE(app.pps.TimeReady);
  // ...and the GGA after it started the next second's count.
  EXPECT_FALSE(app.tick.PpsMarkerSeen);
  EXPECT_EQ(app.tick.SentenceToPpsTicks, 0);
  EXPECT_TRUE(app.tick.SecondPending);
  EXPECT_TRUE(app.pps.PpsArmed);
  EXPECT_TRUE(app.pps.TimeValid);
}

TEST_F(Dispatcher, MarkerDelayWindowIsOneToNineTicks) {
  const struct { int ticks; bool outOfRange; const char* editdSS; int delay; } cases[] = {
      {0, true, "+10", 0}, {1, false, "+10", 0}, {4, false, "+40", 3},
      {9, false, "+90", 8}, {10, true, "+10", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ticks);
    Feed(kGga);
    Ticks(c.ticks);
    app.view.LabelPpsCtr = "old";
    Feed(kMarker);
    EXPECT_EQ(app.pps.DelayOutOfRange, c.outOfRange);
    EXPECT_TRUE(app.tick.PpsMarkerSeen);
    EXPECT_EQ(app.view.EditdSS, c.editdSS);
    EXPECT_EQ(app.tick.DelayTicks, c.delay);
    EXPECT_EQ(app.settings.dSSS, c.delay);
    EXPECT_EQ(app.view.LabelPpsCtr, c.outOfRange ? "?" : "");
  }
}

TEST_F(Dispatcher, MarkerHandsTimeValidOnToTimeReady) {
  app.pps.TimeValid = false;
  app.pps.TimeReady = true;
  Feed(kMarker);
  EXPECT_FALSE(app.pps.TimeReady);
  Feed(kGga);
  Feed(kMarker);
  EXPECT_TRUE(app.pps.TimeReady);
  EXPECT_FALSE(app.pps.TimeValid);
}

TEST_F(Dispatcher, EverySecondBeepBelongsToTheMarker) {
  app.settings.BeepCond = 1;
  Feed(std::string(kGga) + kRmc);
  EXPECT_EQ(fake.beeper.count, 0);
  Feed(kMarker);
  EXPECT_EQ(fake.beeper.count, 1);
  app.settings.BeepCond = 0;
  Feed(kMarker);
  EXPECT_EQ(fake.beeper.count, 1);
}

TEST_F(Dispatcher, LearnsSentenceKindsOfEveryGnssTalker) {
  using C = ReceiverConfig;
  const struct { const char* name; int kind; } cases[] = {
      {"$GPGGA", C::kGga}, {"$GNGSA", C::kGsa}, {"$GLRMC", C::kRmc}, {"$GAGSV", C::kGsv},
      {"$GBGLL", C::kGll}, {"$BDZDA", C::kZda}, {"$GQVTG", C::kVtg}, {"$GPZDA", C::kZda},
      {"$XXGGA", -1},      {"$GPGNS", -1},      {"$GPGGAX", -1},     {"GPGGA", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    app.cfg.LearnSentences = false;
    app.cfg.ClearSentenceFlags();
    Feed(std::string(c.name) + ",,,,\r\n");
    for (bool f : app.cfg.SentenceEnabled) EXPECT_FALSE(f);

    app.cfg.LearnSentences = true;
    Feed(std::string(c.name) + ",,,,\r\n");
    for (int k = 0; k < C::kSentenceKinds; ++k) EXPECT_EQ(app.cfg.SentenceEnabled[k], k == c.kind) << k;
  }
}

TEST_F(Dispatcher, OtherTalkersReachTheirParsersWithoutLearning) {
  app.cfg.LearnSentences = false;
  Feed("$GNGGA,101010,3540.5,N,13945.25,E,2,07,1.0,1.0,M,2.0,M,,*00\r\n");
  EXPECT_TRUE(app.rx.GgaSeen);
  EXPECT_EQ(app.rx.StatusText, "2");
  Feed("$BDRMC,101011,A,3540.5,N,13945.25,E,0,0,020324,,,A*00\r\n");
  EXPECT_TRUE(app.rx.RmcSeen);
  EXPECT_EQ(app.pps.UtcDay, 2);
  for (bool f : app.cfg.SentenceEnabled) EXPECT_FALSE(f);
}

TEST_F(Dispatcher, ZdaIsParsedOnlyBeforeTheSecondsRmc) {
  Feed("$GPZDA,120000,05,06,2024,00,00*00\r\n");
  EXPECT_EQ(app.pps.UtcDay, 5);
  EXPECT_TRUE(app.pps.ReceiverDateKnown);
  Feed(std::string(kRmc) + "$GPZDA,120000,07,08,2023,00,00*00\r\n");
  EXPECT_EQ(app.pps.UtcDay, 1);
  EXPECT_EQ(app.pps.UtcYear, 2025);
  EXPECT_EQ(app.tick.SentenceCount, 3);
}

TEST_F(Dispatcher, PfecIsDispatchedBySubName) {
  app.settings.Receiver = kGt77;
  Feed("$PFEC,GPint,1,2,3,*00\r\n");
  EXPECT_EQ(app.tick.SentenceCount, 1);
  EXPECT_FALSE(app.rx.TpsSeen);
  EXPECT_EQ(app.rx.DatumText, "");
  Feed("$PFEC,GPtps,x,3,y,*00\r\n$PFEC,GPssd,G003,*00\r\n");
  EXPECT_TRUE(app.rx.TpsSeen);
  EXPECT_EQ(app.rx.TpsStatusText, "3");
  EXPECT_EQ(app.rx.DatumText, "日本測地系");
  EXPECT_EQ(app.tick.SentenceCount, 3);
}

TEST_F(Dispatcher, NmeaModeFollowsTheFirstCharacter) {
  Feed("#1000,1,5,3530.0000N,13945.0000E,40.0M,39.0M,0,2025/12/01,");
  EXPECT_FALSE(app.cfg.NmeaMode);
  EXPECT_TRUE(app.rx.Bin1000Seen);
  Feed(kMarker);
  EXPECT_FALSE(app.cfg.NmeaMode);
  Feed("#1108,1,12:00:00,$GPGSV,1,1,*00\r\n");
  EXPECT_TRUE(app.cfg.NmeaMode);
  EXPECT_TRUE(app.rx.Bin1108Seen);
}

TEST_F(Dispatcher, SentencesWithoutCommaAreSkipped) {
  // At the end: ignored, not even counted.
  Feed("$GPGSV\r\n");
  EXPECT_EQ(app.tick.SentenceCount, 0);
  // In the middle: read together with the next one as one name.
  Feed(std::string("$GPXYZ*00\r\n") + kGga);
  EXPECT_EQ(app.tick.SentenceCount, 1);
  EXPECT_FALSE(app.rx.GgaSeen);
  EXPECT_FALSE(app.tick.SecondPending);
}

TEST_F(Dispatcher, CopiesSentencesToTestListAndLog) {
  ShowTestList(0);
  app.testDialog.SentencesToLog = true;
  Feed(std::string(kGga) + kMarker + "#1108,0,00:00:05,");
  ASSERT_EQ(app.testDialog.ListBoxMesg.size(), 3u);
  EXPECT_EQ(app.testDialog.ListBoxMesg[0], kGga);
  EXPECT_EQ(app.testDialog.ListBoxMesg[1], kMarker);
  EXPECT_EQ(app.testDialog.ListBoxMesg[2], "#1108,0,00:00:05,");
  const auto& log = app.log.MemoLog();
  const std::string gga(kGga);
  for (const std::string& line : {gga.substr(0, gga.size() - 2), std::string(kMarker)}) {
    EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
  }

  app.testDialog.ListBoxMesg.clear();
  app.testDialog.DisplayOn = false;
  Feed(kRmc);
  EXPECT_TRUE(app.testDialog.ListBoxMesg.empty());
}

TEST_F(Dispatcher, MarkerAddsIntervalRowInPpsMode) {
  ShowTestList(1);
  app.pps.LocalHour = 21;
  app.pps.Minute = 5;
  app.pps.Second = 9;
  app.pps.EdgeInterval = 1000012;
  app.pps.IntervalCount = 1;
  Feed(kGga);  // no row for sentences in this mode
  EXPECT_TRUE(app.testDialog.ListBoxMesg.empty());
  app.pps.LocalHour = 21;
  app.pps.Minute = 5;
  app.pps.Second = 9;
  Feed(kMarker);
  app.pps.IntervalCount = 5;
  app.pps.IntervalMean = 1000007.9;
  app.pps.IntervalM2 = 4 * 6.3 * 6.3;  // spread 6.3 -> 6 after +0.5 truncation
  Feed(kMarker);
  ASSERT_EQ(app.testDialog.ListBoxMesg.size(), 2u);
  EXPECT_EQ(app.testDialog.ListBoxMesg[0], "21:05:09  dCnt : 1000012");
  EXPECT_EQ(app.testDialog.ListBoxMesg[1], "21:05:09  dCnt : 1000012 (Avr. 1000007 ±  6)");
}

TEST_F(Dispatcher, FurunoMultiConstellationCaptureReadsLikeGps) {
  std::ifstream in(std::string(QUOR_CAPTURES_DIR) + "/furuno_gl_ga.log", std::ios::binary);
  ASSERT_TRUE(in);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '$') lines.push_back(line + "\n");  // keeps its CR
  }
  ASSERT_GT(lines.size(), 30u);
  app.cfg.LearnSentences = true;
  app.settings.dSec = 0;
  // One second of the capture: from its first RMC up to the next one.
  std::string second = lines[0];
  for (size_t i = 1; i < lines.size() && lines[i].rfind("$GNRMC", 0) != 0; ++i) second += lines[i];
  Feed(second);

  EXPECT_TRUE(app.rx.RmcSeen);
  EXPECT_TRUE(app.rx.GgaSeen);
  EXPECT_TRUE(app.tick.SecondPending);
  EXPECT_EQ(app.rx.LatitudeText, "5957.0062N");
  EXPECT_EQ(app.rx.LongitudeText, "01100.6429E");
  EXPECT_EQ(app.rx.StatusText, "2");  // GGA came after RMC
  EXPECT_EQ(app.rx.AntennaText, "168.9M");
  EXPECT_EQ(app.rx.GeoidText, "39.5M");
  EXPECT_EQ(app.pps.UtcHour, 12);
  EXPECT_EQ(app.pps.Minute, 2);
  EXPECT_EQ(app.pps.Second, 13);
  EXPECT_EQ(app.pps.UtcDay, 31);
  EXPECT_EQ(app.pps.UtcMonth, 7);
  EXPECT_EQ(app.pps.UtcYear, 2022);
  using C = ReceiverConfig;
  for (int k : {C::kGga, C::kGsa, C::kRmc, C::kGsv, C::kZda}) EXPECT_TRUE(app.cfg.SentenceEnabled[k]) << k;
  EXPECT_FALSE(app.cfg.SentenceEnabled[C::kGll]);

  // The whole capture, in 1024-byte texts as the tick would hand it over.
  std::string text;
  for (const std::string& line : lines) {
    if (text.size() + line.size() > 1023) {
      Feed(text);
      text.clear();
    }
    text += line;
  }
  Feed(text);
  EXPECT_EQ(app.rx.LatitudeText.substr(0, 4), "5957");
}

TEST_F(Dispatcher, GarbledTextNeverBreaksIt) {
  const std::string longField(1000, '9');
  const std::vector<std::string> texts = {
      "", ",", "$", "$,", "=", "=PPS", "=PPS,", "#1108,", "#1108,1,", "#1000,,,,,,,,,",
      "$GPGGA," + longField + "," + longField + ",N," + longField + ",E,1," + longField + ",,,,,,\r\n",
      "$GPRMC," + longField + "," + longField + ",,,,,,,," + longField + ",\r\n",
      "$GPZDA,,99999999999999,-99999999999,2147483647,\r\n",
      "#1108,1,2147483647:2147483647:2147483647,#1108,1,-2147483648:-1:-1,",
      "#1000,1,2,3,4,5,6," + longField + "," + longField + "/1/1,",
      "$PFEC,GPssd,G,G1,G99999999999," + longField + ",G" + longField + ",*00\r\n",
      "$PFEC,GP", "$PFEC,", "$PGRMM," + longField, "$PGRMM,", "$GPGGA,1,2,3,4,5,6,7",
      std::string("$GPGGA,\0\0\0,\xff\xfe,\x81,\r\n", 18),
  };
  app.settings.Receiver = kJupiter;
  app.testDialog.SentencesToLog = true;
  ShowTestList(0);
  for (const std::string& t : texts) Feed(t);

  // Random noise made of the characters the dispatcher and parsers look at.
  const std::string alphabet = "$#=,,,*.:/-+ 0123456789GPGGARMCZDAPFECtpsssd1000 1108\r\n\xff";
  std::mt19937 rng(7);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1), length(0, 300);
  for (int i = 0; i < 3000; ++i) {
    app.settings.Receiver = i % 5;
    app.settings.BaseMesg = i % 2;
    std::string t(length(rng), ' ');
    for (char& c : t) c = alphabet[pick(rng)];
    Feed(t);
  }
  for (const std::string* text : {&app.rx.LatitudeText, &app.rx.LongitudeText, &app.rx.StatusText,
                                  &app.rx.SatelliteText, &app.rx.AntennaText, &app.rx.GeoidText,
                                  &app.rx.TpsStatusText, &app.rx.TimeMarkStatusText}) {
    EXPECT_LE(text->size(), ReceiverState::kTextMax);
  }
  EXPECT_LE(app.rx.DatumText.size(), ReceiverState::kDatumMax);
}

}  // namespace

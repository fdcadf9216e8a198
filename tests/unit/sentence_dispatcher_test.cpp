#include "timekeeping/sentence_dispatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/captures.h"
#include "support/time_keeper_world.h"

namespace {

constexpr const char* kGga =
    "$GPGGA,120000,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,*7C\r\n";
// The next second's.
constexpr const char* kGgaNext =
    "$GPGGA,120001,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,*7D\r\n";
constexpr const char* kRmc =
    "$GPRMC,120000,A,3540.5000,N,13945.2500,E,0.0,0.0,011225,,,A*7C\r\n";
constexpr const char* kGgaWithoutChecksum =
    "$GPGGA,120000,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,\r\n";
constexpr const char* kMarker = "=PPS,,";

struct Dispatcher : ::testing::Test, TimeKeeperWorld {

  void Feed(const std::string& text) { ProcessReceivedText(tk(), text); }
  // What the tick does between two texts while no marker has come.
  void Ticks(int n) {
    if (!tk().timing.PpsMarkerSeen) tk().timing.SentenceToPpsTicks += n;
  }
  void ShowTestList(int mode) {
    testDialog.TestDialogShown = true;
    testDialog.DisplayOn = true;
    testDialog.RadioGroupMode = mode;
  }
};

TEST_F(Dispatcher, MarkerBeforeGgaInOneTextClosesTheOldSecondFirst) {
  Feed(kGga);
  EXPECT_TRUE(tk().pps.TimeValid);
  EXPECT_TRUE(tk().pps.PpsArmed);
  Ticks(3);
  tk().pps.PpsArmed = false;

  Feed(std::string(kMarker) + kGgaNext);
  // The marker measured 3 ticks from the previous GGA...
  EXPECT_FALSE(tk().pps.DelayOutOfRange);
  EXPECT_EQ(settings.dSSS, 2);
  EXPECT_EQ(view.EditdSS, "+30");
  EXPECT_EQ(tk().timing.DelayTicks, 2);
  EXPECT_EQ(view.LabelPpsCtr, "");
  EXPECT_TRUE(tk().pps.TimeReady);
  // ...and the GGA after it started the next second's count.
  EXPECT_FALSE(tk().timing.PpsMarkerSeen);
  EXPECT_EQ(tk().timing.SentenceToPpsTicks, 0);
  EXPECT_TRUE(tk().timing.SecondPending);
  EXPECT_TRUE(tk().pps.PpsArmed);
  EXPECT_TRUE(tk().pps.TimeValid);
}

TEST_F(Dispatcher, MarkerDelayWindowIsOneToNineTicks) {
  const struct { int ticks; bool outOfRange; const char* editdSS; int delay; } cases[] = {
      {0, true, "+10", 0}, {1, false, "+10", 0}, {4, false, "+40", 3},
      {9, false, "+90", 8}, {10, true, "+10", 0},
  };
  bool next = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ticks);
    Feed((next = !next) ? kGgaNext : kGga);  // a second of its own each time
    Ticks(c.ticks);
    view.LabelPpsCtr = "old";
    Feed(kMarker);
    EXPECT_EQ(tk().pps.DelayOutOfRange, c.outOfRange);
    EXPECT_TRUE(tk().timing.PpsMarkerSeen);
    EXPECT_EQ(view.EditdSS, c.editdSS);
    EXPECT_EQ(tk().timing.DelayTicks, c.delay);
    EXPECT_EQ(settings.dSSS, c.delay);
    EXPECT_EQ(view.LabelPpsCtr, c.outOfRange ? "?" : "");
  }
}

// Without 1PPS and without a delay, a time sentence's second is processed as
// soon as the sentence has been read, with the sentence's own data in it.
TEST_F(Dispatcher, WithoutPpsAndDelayTheSecondIsProcessedAtOnce) {
  settings.dSSS = 0;
  tk().timing.DelayTicks = 0;
  tk().timing.DataWait.Stop();
  Feed(kGga);
  EXPECT_FALSE(tk().timing.SecondPending);
  EXPECT_EQ(status.text, "受信中(NMEA)");
  EXPECT_EQ(view.EditNumMsg, "1");
  cfg.NmeaMode = false;
  Feed("#1000,1,5,3530.0000N,13945.0000E,40.0M,39.0M,0,2025/12/01,#1108,1,12:00:01,");
  EXPECT_FALSE(tk().timing.SecondPending);
  EXPECT_EQ(status.text, "受信中(ﾊﾞｲﾅﾘ)");

  tk().pps.PpsSeen = true;  // with 1PPS the marker runs it
  Feed(kGga);
  EXPECT_TRUE(tk().timing.SecondPending);
}

// One corrupted digit in a sentence with a valid fix could move the clock by
// minutes: a sentence whose checksum is present and wrong is dropped.
TEST_F(Dispatcher, SentencesWithAWrongChecksumAreDropped) {
  const struct { const char* text; bool taken; } cases[] = {
      {"$GPGGA,120000,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,*7C\r\n", true},
      {"$GPGGA,120000,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,*7c\r\n", true},
      {"$GPGGA,120000,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,\r\n", true},
      {"$GPGGA,120000,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,*7C", true},
      {"$GPGGA,120700,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,*7C\r\n", false},
      {"$GPGGA,120000,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,*7D\r\n", false},
      {"$GPGGA,120000,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,*\r\n", true},
      {"$GPGGA,120000,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,*7\r\n", true},
  };
  uint64_t dropped = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    tk().rx.GgaSeen = false;
    tk().timing.SentenceCount = 0;
    Feed(c.text);
    EXPECT_EQ(tk().rx.GgaSeen, c.taken);
    EXPECT_EQ(tk().timing.SentenceCount, c.taken ? 1 : 0);
    dropped += c.taken ? 0 : 1;
    EXPECT_EQ(tk().ChecksumErrors, dropped);
  }
  // The capture's sentences all pass.
  const std::string capture = ReadCapture("garmin48.log");
  Feed(capture.substr(0, 1000));
  EXPECT_EQ(tk().ChecksumErrors, dropped);
}

TEST_F(Dispatcher, MarkerHandsTimeValidOnToTimeReady) {
  tk().pps.TimeValid = false;
  tk().pps.TimeReady = true;
  Feed(kMarker);
  EXPECT_FALSE(tk().pps.TimeReady);
  Feed(kGga);
  Feed(kMarker);
  EXPECT_TRUE(tk().pps.TimeReady);
  EXPECT_FALSE(tk().pps.TimeValid);
}

TEST_F(Dispatcher, EverySecondBeepBelongsToTheMarker) {
  settings.BeepCond = 1;
  Feed(std::string(kGga) + kRmc);
  EXPECT_EQ(fake.beeper.count, 0);
  Feed(kMarker);
  EXPECT_EQ(fake.beeper.count, 1);
  settings.BeepCond = 0;
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
    cfg.LearnSentences = false;
    cfg.ClearSentenceFlags();
    Feed(std::string(c.name) + ",,,,\r\n");
    for (bool f : cfg.SentenceEnabled) EXPECT_FALSE(f);

    cfg.LearnSentences = true;
    Feed(std::string(c.name) + ",,,,\r\n");
    for (int k = 0; k < C::kSentenceKinds; ++k) EXPECT_EQ(cfg.SentenceEnabled[k], k == c.kind) << k;
  }
}

TEST_F(Dispatcher, OtherTalkersReachTheirParsersWithoutLearning) {
  cfg.LearnSentences = false;
  Feed("$GNGGA,101010,3540.5,N,13945.25,E,2,07,1.0,1.0,M,2.0,M,,*51\r\n");
  EXPECT_TRUE(tk().rx.GgaSeen);
  EXPECT_EQ(tk().rx.StatusText, "2");
  Feed("$BDRMC,101011,A,3540.5,N,13945.25,E,0,0,020326,,,A*5E\r\n");
  EXPECT_TRUE(tk().rx.RmcSeen);
  EXPECT_EQ(tk().pps.UtcDay, 2);
  for (bool f : cfg.SentenceEnabled) EXPECT_FALSE(f);
}

TEST_F(Dispatcher, ZdaIsParsedOnlyBeforeTheSecondsRmc) {
  Feed("$GPZDA,120000,05,06,2026,00,00*4E\r\n");
  EXPECT_EQ(tk().pps.UtcDay, 5);
  EXPECT_EQ(tk().pps.UtcYear, 2026);
  EXPECT_TRUE(tk().pps.ReceiverDateKnown);
  Feed(std::string(kRmc) + "$GPZDA,120000,07,08,2027,00,00*43\r\n");
  EXPECT_EQ(tk().pps.UtcDay, 1);
  EXPECT_EQ(tk().pps.UtcYear, 2025);
  EXPECT_EQ(tk().timing.SentenceCount, 3);
}

TEST_F(Dispatcher, PfecIsDispatchedBySubName) {
  settings.Receiver = kGt77;
  Feed("$PFEC,GPint,1,2,3,*68\r\n");
  EXPECT_EQ(tk().timing.SentenceCount, 1);
  EXPECT_FALSE(tk().rx.TpsSeen);
  EXPECT_EQ(tk().rx.DatumText, "");
  Feed("$PFEC,GPtps,x,3,y,*6E\r\n$PFEC,GPssd,G003,*3B\r\n");
  EXPECT_TRUE(tk().rx.TpsSeen);
  EXPECT_EQ(tk().rx.TpsStatusText, "3");
  EXPECT_EQ(tk().rx.DatumText, "日本測地系");
  EXPECT_EQ(tk().timing.SentenceCount, 3);
}

TEST_F(Dispatcher, NmeaModeFollowsTheFirstCharacter) {
  Feed("#1000,1,5,3530.0000N,13945.0000E,40.0M,39.0M,0,2025/12/01,");
  EXPECT_FALSE(cfg.NmeaMode);
  EXPECT_TRUE(tk().rx.Bin1000Seen);
  Feed(kMarker);
  EXPECT_FALSE(cfg.NmeaMode);
  Feed("#1108,1,12:00:00,$GPGSV,1,1,*79\r\n");
  EXPECT_TRUE(cfg.NmeaMode);
  EXPECT_EQ(tk().rx.TimeMarkStatusText, "1");
}

TEST_F(Dispatcher, SentencesWithoutCommaAreSkipped) {
  // At the end: ignored, not even counted.
  Feed("$GPGSV\r\n");
  EXPECT_EQ(tk().timing.SentenceCount, 0);
  // In the middle: read together with the next one as one name.
  Feed(std::string("$GPXYZ\r\n") + kGgaWithoutChecksum);
  EXPECT_EQ(tk().timing.SentenceCount, 1);
  EXPECT_FALSE(tk().rx.GgaSeen);
  EXPECT_FALSE(tk().timing.SecondPending);
}

TEST_F(Dispatcher, CopiesSentencesToTestListAndLog) {
  ShowTestList(0);
  testDialog.SentencesToLog = true;
  Feed(std::string(kGga) + kMarker + "#1108,0,00:00:05,");
  ASSERT_EQ(testDialog.ListBoxMesg.size(), 3u);
  EXPECT_EQ(testDialog.ListBoxMesg[0], kGga);
  EXPECT_EQ(testDialog.ListBoxMesg[1], kMarker);
  EXPECT_EQ(testDialog.ListBoxMesg[2], "#1108,0,00:00:05,");
  const auto& lines = log.lines;
  const std::string gga(kGga);
  for (const std::string& line : {gga, std::string(kMarker)}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  }

  testDialog.ListBoxMesg.clear();
  testDialog.DisplayOn = false;
  Feed(kRmc);
  EXPECT_TRUE(testDialog.ListBoxMesg.empty());
}

TEST_F(Dispatcher, MarkerAddsIntervalRowInPpsMode) {
  ShowTestList(1);
  tk().pps.LocalHour = 21;
  tk().pps.Minute = 5;
  tk().pps.Second = 9;
  tk().pps.EdgeInterval = 1000012;
  tk().pps.IntervalCount = 1;
  Feed(kGga);  // no row for sentences in this mode
  EXPECT_TRUE(testDialog.ListBoxMesg.empty());
  tk().pps.LocalHour = 21;
  tk().pps.Minute = 5;
  tk().pps.Second = 9;
  Feed(kMarker);
  tk().pps.IntervalCount = 5;
  tk().pps.IntervalMean = 1000007.9;
  tk().pps.IntervalM2 = 4 * 6.3 * 6.3;  // spread 6.3 -> 6 after +0.5 truncation
  Feed(kMarker);
  ASSERT_EQ(testDialog.ListBoxMesg.size(), 2u);
  EXPECT_EQ(testDialog.ListBoxMesg[0], "21:05:09  dCnt : 1000012");
  EXPECT_EQ(testDialog.ListBoxMesg[1], "21:05:09  dCnt : 1000012 (Avr. 1000007 ±  6)");
}

TEST_F(Dispatcher, FurunoMultiConstellationCaptureReadsLikeGps) {
  std::ifstream in(std::string(QUOR_CAPTURES_DIR) + "/furuno_gl_ga.log", std::ios::binary);
  ASSERT_TRUE(in);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '$') lines.push_back(line + "\n");  // keeps its CR
  }
  ASSERT_GT(lines.size(), 30u);
  cfg.LearnSentences = true;
  settings.dSec = 0;
  // One second of the capture: from its first RMC up to the next one.
  std::string second = lines[0];
  for (size_t i = 1; i < lines.size() && lines[i].rfind("$GNRMC", 0) != 0; ++i) second += lines[i];
  Feed(second);

  EXPECT_TRUE(tk().rx.RmcSeen);
  EXPECT_TRUE(tk().rx.GgaSeen);
  EXPECT_TRUE(tk().timing.SecondPending);
  EXPECT_EQ(tk().rx.LatitudeText, "5957.0062N");
  EXPECT_EQ(tk().rx.LongitudeText, "01100.6429E");
  EXPECT_EQ(tk().rx.StatusText, "2");  // GGA came after RMC
  EXPECT_EQ(tk().rx.AntennaText, "168.9M");
  EXPECT_EQ(tk().rx.GeoidText, "39.5M");
  EXPECT_EQ(tk().pps.UtcHour, 12);
  EXPECT_EQ(tk().pps.Minute, 2);
  EXPECT_EQ(tk().pps.Second, 13);
  // Recorded in 2022, before the date floor of this release: a receiver
  // telling that date now is taken as 1024 weeks early.
  EXPECT_EQ(tk().pps.UtcDay, 16);
  EXPECT_EQ(tk().pps.UtcMonth, 3);
  EXPECT_EQ(tk().pps.UtcYear, 2042);
  using C = ReceiverConfig;
  for (int k : {C::kGga, C::kGsa, C::kRmc, C::kGsv, C::kZda}) EXPECT_TRUE(cfg.SentenceEnabled[k]) << k;
  EXPECT_FALSE(cfg.SentenceEnabled[C::kGll]);

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
  EXPECT_EQ(tk().rx.LatitudeText.substr(0, 4), "5957");
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
  settings.Receiver = kJupiter;
  testDialog.SentencesToLog = true;
  ShowTestList(0);
  for (const std::string& t : texts) Feed(t);

  // Random noise made of the characters the dispatcher and parsers look at.
  const std::string alphabet = "$#=,,,*.:/-+ 0123456789GPGGARMCZDAPFECtpsssd1000 1108\r\n\xff";
  std::mt19937 rng(7);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1), length(0, 300);
  for (int i = 0; i < 3000; ++i) {
    settings.Receiver = i % 5;
    settings.BaseMesg = i % 2;
    std::string t(length(rng), ' ');
    for (char& c : t) c = alphabet[pick(rng)];
    Feed(t);
  }
  for (const std::string* text : {&tk().rx.LatitudeText, &tk().rx.LongitudeText, &tk().rx.StatusText,
                                  &tk().rx.SatelliteText, &tk().rx.AntennaText, &tk().rx.GeoidText,
                                  &tk().rx.TpsStatusText, &tk().rx.TimeMarkStatusText}) {
    EXPECT_LE(text->size(), ReceiverState::kTextMax);
  }
  EXPECT_LE(tk().rx.DatumText.size(), ReceiverState::kDatumMax);
}

}  // namespace

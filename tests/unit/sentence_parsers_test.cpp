#include "timekeeping/sentence_parsers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/app.h"
#include "fakes/fake_platform.h"
#include "timekeeping/sentence_fields.h"

namespace {

struct Parsers : ::testing::Test {
  FakePlatform fake;
  App app{fake.platform};
  void SetUp() override { app.settings.dSec = 0; }
  void SetTime(int h, int m, int s) {
    app.pps.UtcHour = h;
    app.pps.Minute = m;
    app.pps.Second = s;
  }
  void ExpectTime(int h, int m, int s) {
    EXPECT_EQ(app.pps.UtcHour, h);
    EXPECT_EQ(app.pps.Minute, m);
    EXPECT_EQ(app.pps.Second, s);
  }
};

TEST_F(Parsers, GgaFillsTheTexts) {
  ParseGga(app, "092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n");
  ExpectTime(9, 27, 50);
  EXPECT_EQ(app.rx.LatitudeText, "5321.6802N");
  EXPECT_EQ(app.rx.LongitudeText, "00630.3372W");
  EXPECT_EQ(app.rx.StatusText, "1");
  EXPECT_EQ(app.rx.SatelliteText, "8");
  EXPECT_EQ(app.rx.AntennaText, "61.7M");
  EXPECT_EQ(app.rx.GeoidText, "55.2M");
  EXPECT_TRUE(app.rx.GgaSeen);
  // No fix: the empty fields leave empty texts.
  ParseGga(app, "092751.000,,,,,0,0,,,M,,M,,*76\r\n");
  EXPECT_EQ(app.rx.LatitudeText, "");
  EXPECT_EQ(app.rx.StatusText, "0");
  EXPECT_EQ(app.rx.AntennaText, "M");
}

TEST_F(Parsers, TimeSentenceStartsTheSecondAndArms) {
  const struct { int baseMesg, receiver; bool gga; bool startsSecond, armed; } cases[] = {
      {0, kJupiter, true, true, true},   {0, kGt77, true, true, false},
      {1, kJupiter, true, false, false}, {1, kCca370h, false, true, true},
      {1, kGt77, false, true, false},    {0, kJupiter, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.baseMesg << " " << c.receiver << " " << c.gga);
    FakePlatform f;
    App a{f.platform};
    a.settings.BaseMesg = c.baseMesg;
    a.settings.Receiver = c.receiver;
    a.tick.PpsMarkerSeen = true;
    a.tick.SentenceToPpsTicks = 4;
    a.tick.PendingSecondTicks = 2;
    if (c.gga) {
      ParseGga(a, "120000,3540.5,N,13945.25,E,1,08,1.0,40.0,M,39.0,M,,*5C\r\n");
      EXPECT_TRUE(a.rx.GgaSeen);
      EXPECT_EQ(a.rx.LatitudeText, "3540.5N");
    } else {
      ParseRmc(a, "120000,A,3540.5,N,13945.25,E,0.0,0.0,011225,,,A*6A\r\n");
      EXPECT_TRUE(a.rx.RmcSeen);
      EXPECT_TRUE(a.pps.ReceiverDateKnown);
    }
    EXPECT_EQ(a.tick.SecondPending, c.startsSecond);
    EXPECT_EQ(a.tick.PpsMarkerSeen, !c.startsSecond);
    EXPECT_EQ(a.tick.SentenceToPpsTicks, c.startsSecond ? 0 : 4);
    EXPECT_EQ(a.tick.PendingSecondTicks, c.startsSecond ? 0 : 2);
    EXPECT_EQ(a.pps.PpsArmed, c.armed);
  }
}

TEST_F(Parsers, WithoutPpsAndDelayTheSecondIsProcessedAtOnce) {
  app.settings.dSSS = 0;
  app.tick.DelayTicks = 0;
  ParseGga(app, "120000,,,,,1,,,,,,,,*00\r\n");
  EXPECT_FALSE(app.tick.SecondPending);
  EXPECT_TRUE(app.rx.GgaSeen);  // set after the processing it started
  ParseBin1108(app, "1,12:00:01,");
  EXPECT_FALSE(app.tick.SecondPending);
  EXPECT_TRUE(app.rx.Bin1108Seen);

  app.pps.PpsSeen = true;  // with 1PPS the marker runs it
  ParseGga(app, "120002,,,,,1,,,,,,,,*00\r\n");
  EXPECT_TRUE(app.tick.SecondPending);
}

TEST_F(Parsers, GgaStatusDecidesTimeValidExceptForGt77) {
  const struct { const char* status; int receiver; bool valid; } cases[] = {
      {"1", kJupiter, true}, {"2", kOtherReceiver, true}, {"0", kJupiter, false},
      {"6", kJupiter, false}, {"", kJupiter, false}, {"1", kGt77, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    app.settings.Receiver = c.receiver;
    app.pps.TimeValid = false;
    ParseGga(app, std::string("120000,,,,,") + c.status + ",,,,,,,,*00\r\n");
    EXPECT_EQ(app.pps.TimeValid, c.valid);
  }
}

TEST_F(Parsers, Gt77TimeIsValidOnlyByItsTimeSentence) {
  app.settings.Receiver = kGt77;
  ParseGga(app, "120000,3540.5,N,13945.25,E,1,08,1.0,40.0,M,39.0,M,,*5C\r\n");
  EXPECT_FALSE(app.pps.TimeValid);
  EXPECT_FALSE(app.pps.PpsArmed);
  // A line as the HP 58534A sends it (field 3 is the 1PPS status).
  ParseTps(app, "GPtps,101025222450,2,1,1,090101000000,00,15,101025162124,1607,167104\n");
  EXPECT_FALSE(app.pps.TimeValid);
  EXPECT_EQ(app.rx.TpsStatusText, "2");
  ParseTps(app, "GPtps,101025222450,3,1,1,090101000000,00,15,101025162124,1607,167104\n");
  EXPECT_TRUE(app.pps.TimeValid);
  EXPECT_EQ(app.rx.TpsStatusText, "3");
  EXPECT_TRUE(app.rx.TpsSeen);
  EXPECT_TRUE(app.pps.PpsArmed);
}

TEST_F(Parsers, RmcStatusBecomesAFixDigit) {
  const struct { const char* field; const char* text; bool valid; } cases[] = {
      {"A", "1", true}, {"V", "0", false}, {"", "0", false}, {"AX", "1X", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    app.pps.TimeValid = false;
    ParseRmc(app, std::string("120000,") + c.field + ",,,,,,,011225,,,A*6A\r\n");
    EXPECT_EQ(app.rx.StatusText, c.text);
    EXPECT_EQ(app.pps.TimeValid, c.valid);
  }
}

TEST_F(Parsers, SecondCorrectionCarriesOnce) {
  const struct { bool nmea; int dSec; int h, m, s, day; int eh, em, es, eday; } cases[] = {
      {true, 2, 23, 59, 58, 10, 0, 0, 0, 11},     {true, -3, 0, 0, 1, 10, 23, 59, 58, 9},
      {true, 2, 12, 0, 59, 10, 12, 1, 1, 10},     {true, 9, 12, 59, 55, 10, 13, 0, 4, 10},
      {false, 2, 23, 59, 58, 10, 23, 59, 58, 10}, {true, 0, 24, 60, 60, 10, 1, 1, 0, 11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.h << ":" << c.m << ":" << c.s << " + " << c.dSec);
    app.cfg.NmeaMode = c.nmea;
    app.settings.dSec = c.dSec;
    SetTime(c.h, c.m, c.s);
    app.pps.UtcDay = c.day;
    ApplySecondCorrection(app);
    ExpectTime(c.eh, c.em, c.es);
    EXPECT_EQ(app.pps.UtcDay, c.eday);
  }
}

TEST_F(Parsers, RmcDateReplacesTheCarriedDay) {
  app.settings.dSec = 2;
  app.pps.UtcDay = 5;
  ParseGga(app, "235958,,,,,1,,,,,,,,*00\r\n");
  ExpectTime(0, 0, 0);
  EXPECT_EQ(app.pps.UtcDay, 6);
  ParseRmc(app, "235958,A,,,,,,,311225,,,A*00\r\n");
  ExpectTime(0, 0, 0);
  EXPECT_EQ(app.pps.UtcDay, 31);
  EXPECT_EQ(app.pps.UtcMonth, 12);
  EXPECT_EQ(app.pps.UtcYear, 2025);
}

TEST_F(Parsers, LocalHourFollowsTheTimeZone) {
  const struct { int zone, utc, local; } cases[] = {
      {9, 20, 5}, {-5, 3, 22}, {9, 0, 9}, {0, 23, 23}, {13, 11, 0}, {-13, 12, 23},
  };
  for (const auto& c : cases) {
    app.settings.TimeZone = c.zone;
    SetTime(c.utc, 0, 0);
    ApplySecondCorrection(app);
    EXPECT_EQ(app.pps.LocalHour, c.local) << c.zone << " " << c.utc;
  }
}

TEST_F(Parsers, UnreadableNumbersLeaveEarlierValues) {
  app.settings.dSec = 2;
  const struct { const char* field; int eh, em, es; } times[] = {
      {"", 10, 20, 32}, {"12", 12, 20, 32}, {"1234x5", 12, 34, 32}, {"ab", 10, 20, 32},
      {" 1 2 3", 1, 2, 5}, {"-1", 23, 20, 32},
  };
  for (const auto& c : times) {
    SCOPED_TRACE(c.field);
    SetTime(10, 20, 30);
    ParseGga(app, std::string(c.field) + ",,,,,,,,,,,,*00\r\n");
    ExpectTime(c.eh, c.em, c.es);
  }
  app.pps.UtcDay = 4;
  app.pps.UtcMonth = 5;
  app.pps.UtcYear = 2024;
  ParseZda(app, "120000,x,,7,*00\r\n");
  EXPECT_EQ(app.pps.UtcDay, 4);
  EXPECT_EQ(app.pps.UtcMonth, 5);
  EXPECT_EQ(app.pps.UtcYear, 7);
  // An RMC without a date keeps the year (no century is added to it).
  app.pps.UtcYear = 2024;
  ParseRmc(app, "120000,V,,,,,,,,,,N*00\r\n");
  EXPECT_EQ(app.pps.UtcYear, 2024);
  ParseRmc(app, "120000,V,,,,,,,0102,,,N*00\r\n");
  EXPECT_EQ(app.pps.UtcDay, 1);
  EXPECT_EQ(app.pps.UtcMonth, 2);
  EXPECT_EQ(app.pps.UtcYear, 2024);
}

TEST_F(Parsers, ScanIntsReadsLikeSscanf) {
  const char* formats[] = {"%2d%2d%2d", "%d:%d:%d", "%d/%d/%d", "%d"};
  const char* inputs[] = {"",         "123456",   "123456.789", "1",         "12:34:56", "1:2",
                          "2025/12/01", " 7/ 8 /9", "+1-2+3",    "--5",       "12 34 56", "9x",
                          "12:-3:+4",  "00:00:01",  "1/2/",       "ab12",      " ",        "-"};
  for (const char* format : formats) {
    for (const char* input : inputs) {
      int a = -7, b = -7, c = -7, x = -7, y = -7, z = -7;
      int n = std::sscanf(input, format, &x, &y, &z);
      if (n < 0) n = 0;
      EXPECT_EQ(ScanInts(input, format, {&a, &b, &c}), n) << format << " '" << input << "'";
      EXPECT_EQ(a, x) << format << " '" << input << "'";
      EXPECT_EQ(b, y) << format << " '" << input << "'";
      EXPECT_EQ(c, z) << format << " '" << input << "'";
    }
  }
  int big = 0;
  EXPECT_EQ(ScanInts("99999999999999999999", "%d", {&big}), 1);
  EXPECT_EQ(big, 2147483647);
}

TEST_F(Parsers, ZdaTakesTimeAndFourDigitYear) {
  ParseZda(app, "120213.000,31,07,2022,+00,00*79\r\n");
  ExpectTime(12, 2, 13);
  EXPECT_EQ(app.pps.UtcDay, 31);
  EXPECT_EQ(app.pps.UtcMonth, 7);
  EXPECT_EQ(app.pps.UtcYear, 2022);
  EXPECT_TRUE(app.pps.ReceiverDateKnown);
  EXPECT_FALSE(app.tick.SecondPending);
}

TEST_F(Parsers, Bin1108StepsTheDateAtMidnight) {
  const struct { int y, mo, d; const char* time; int ey, emo, ed; } cases[] = {
      {2025, 1, 31, "00:00:01", 2025, 2, 1},  {2025, 12, 31, "00:00:01", 2026, 1, 1},
      {2025, 12, 31, "00:00:00", 2026, 1, 1}, {2024, 2, 28, "00:00:01", 2024, 2, 29},
      {2025, 2, 28, "00:00:01", 2025, 3, 1},  {2025, 1, 31, "00:00:02", 2025, 1, 31},
      {2025, 1, 30, "00:00:01", 2025, 1, 31}, {2025, 1, 31, "23:59:59", 2025, 1, 31},
  };
  app.settings.dSec = 5;  // not applied to binary receivers
  app.cfg.NmeaMode = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << c.mo << "-" << c.d << " " << c.time);
    app.pps.UtcYear = c.y;
    app.pps.UtcMonth = c.mo;
    app.pps.UtcDay = c.d;
    ParseBin1108(app, std::string("1,") + c.time + ",");
    EXPECT_EQ(app.pps.UtcYear, c.ey);
    EXPECT_EQ(app.pps.UtcMonth, c.emo);
    EXPECT_EQ(app.pps.UtcDay, c.ed);
  }
}

TEST_F(Parsers, Bin1108StartsTheSecondWhateverBaseMesg) {
  app.cfg.NmeaMode = false;
  app.settings.BaseMesg = 1;
  app.settings.TimeZone = 9;
  app.tick.PpsMarkerSeen = true;
  app.tick.SentenceToPpsTicks = 5;
  ParseBin1108(app, "1,16:30:09,");
  ExpectTime(16, 30, 9);
  EXPECT_EQ(app.pps.LocalHour, 1);
  EXPECT_EQ(app.rx.TimeMarkStatusText, "1");
  EXPECT_TRUE(app.pps.TimeValid);
  EXPECT_TRUE(app.tick.SecondPending);
  EXPECT_FALSE(app.tick.PpsMarkerSeen);
  EXPECT_EQ(app.tick.SentenceToPpsTicks, 0);
  EXPECT_TRUE(app.rx.Bin1108Seen);
  app.pps.TimeValid = false;
  ParseBin1108(app, "0,16:30:10,");
  EXPECT_FALSE(app.pps.TimeValid);
  EXPECT_EQ(app.rx.TimeMarkStatusText, "0");
}

TEST_F(Parsers, Bin1000TakesPositionDatumAndDate) {
  const struct { int receiver; const char* datum; const char* text; } cases[] = {
      {kJupiter, "0", "WGS-84系"}, {kJupiter, "178", "日本測地系"},
      {kJupiter, "52", "測地系:52"}, {kCca370h, "", "old"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.datum);
    app.settings.Receiver = c.receiver;
    app.rx.DatumText = app.view.LabelMapDatum = "old";
    app.pps.PpsArmed = false;
    ParseBin1000(app, std::string("1,7,3530.0000N,13945.2500E,40.1M,39.0M,") + c.datum +
                          ",2025/12/01,");
    EXPECT_EQ(app.rx.StatusText, "1");
    EXPECT_EQ(app.rx.SatelliteText, "7");
    EXPECT_EQ(app.rx.LatitudeText, "3530.0000N");
    EXPECT_EQ(app.rx.LongitudeText, "13945.2500E");
    EXPECT_EQ(app.rx.AntennaText, "40.1M");
    EXPECT_EQ(app.rx.GeoidText, "39.0M");
    EXPECT_EQ(app.rx.DatumText, c.text);
    EXPECT_EQ(app.view.LabelMapDatum, c.text);
    EXPECT_EQ(app.pps.UtcYear, 2025);
    EXPECT_EQ(app.pps.UtcMonth, 12);
    EXPECT_EQ(app.pps.UtcDay, 1);
    EXPECT_TRUE(app.rx.Bin1000Seen);
    EXPECT_TRUE(app.pps.PpsArmed);
    EXPECT_TRUE(app.pps.ReceiverDateKnown);
    EXPECT_FALSE(app.tick.SecondPending);
  }
}

TEST_F(Parsers, SsdShowsTheLastDatumCode) {
  const struct { const char* body; const char* text; int code; } cases[] = {
      {"GPssd,G001,*00\r\n", "WGS-84系", 1},
      {"GPssd,G003,*00\r\n", "日本測地系", 3},
      {"GPssd,G005,*00\r\n", "測地系:005", 5},
      {"GPssd,G001,X12,G005,1,*00\r\n", "測地系:005", 5},
      {"GPssd,G0010,*00\r\n", "WGS-84系", 10},
      {"GPssd,G005*00\r\n", "old", 99},  // not comma-terminated: not a field
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    app.rx.DatumText = app.view.LabelMapDatum = "old";
    app.cfg.ReceiverDatumCode = 99;
    ParseSsd(app, c.body);
    EXPECT_EQ(app.rx.DatumText, c.text);
    EXPECT_EQ(app.view.LabelMapDatum, c.text);
    EXPECT_EQ(app.cfg.ReceiverDatumCode, c.code);
  }
}

TEST_F(Parsers, GrmmShowsTheDatumNameUpTo31Characters) {
  const struct { const char* body; const char* text; } cases[] = {
      {"WGS 84*06\r\n", "WGS 84"},
      {"NAD83*29\n", "NAD83"},
      {"Tokyo,Mean,Value*00\r\n", "Tokyo,Mean,Value"},
      {"European 1950 Mean for Western Europe*11\r\n", "European 1950 Mean for Western "},
      {"No checksum\r\n", "No checksum"},
  };
  for (const auto& c : cases) {
    ParseGrmm(app, c.body);
    EXPECT_EQ(app.rx.DatumText, c.text);
    EXPECT_EQ(app.view.LabelMapDatum, c.text);
  }
}

TEST_F(Parsers, OverlongFieldsAreCut) {
  const std::string f20 = "12345678901234567890";
  ParseGga(app, "120000," + f20 + ",N,12345678901234,E," + f20 + ",99,1,1.0,M," + f20 + ",M,,*00\r\n");
  EXPECT_EQ(app.rx.LatitudeText, "123456789012345");
  EXPECT_EQ(app.rx.LongitudeText, "12345678901234E");
  EXPECT_EQ(app.rx.StatusText, "123456789012345");
  EXPECT_EQ(app.rx.SatelliteText, "99");
  EXPECT_EQ(app.rx.GeoidText, "123456789012345");
  ParseTps(app, "GPtps,x," + f20 + ",");
  EXPECT_EQ(app.rx.TpsStatusText, "123456789012345");
  ParseBin1108(app, f20 + ",00:00:10,");
  EXPECT_EQ(app.rx.TimeMarkStatusText, "123456789012345");
  // A long datum code is cut at 31 bytes without splitting a character.
  app.settings.Receiver = kJupiter;
  ParseBin1000(app, ",,,,,," + f20 + f20 + ",,");
  EXPECT_EQ(app.rx.DatumText, "測地系:" + (f20 + f20).substr(0, 21));
  std::string cut;
  CopyText(cut, "ab測地系", 4);  // "測" is three bytes: only "ab" fits
  EXPECT_EQ(cut, "ab");
}

}  // namespace

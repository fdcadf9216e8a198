#include "timekeeping/sentence_parsers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/time_keeper_world.h"
#include "timekeeping/sentence_time.h"
#include "timekeeping/sentence_fields.h"

namespace {

struct Parsers : ::testing::Test, TimeKeeperWorld {
  void SetUp() override { settings.dSec = 0; }
  void SetTime(int h, int m, int s) {
    tk().pps.UtcHour = h;
    tk().pps.Minute = m;
    tk().pps.Second = s;
  }
  void ExpectTime(int h, int m, int s) {
    EXPECT_EQ(tk().pps.UtcHour, h);
    EXPECT_EQ(tk().pps.Minute, m);
    EXPECT_EQ(tk().pps.Second, s);
  }
};

TEST_F(Parsers, GgaFillsTheTexts) {
  ParseGga(tk(), "092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n");
  ExpectTime(9, 27, 50);
  EXPECT_EQ(tk().rx.LatitudeText, "5321.6802N");
  EXPECT_EQ(tk().rx.LongitudeText, "00630.3372W");
  EXPECT_EQ(tk().rx.StatusText, "1");
  EXPECT_EQ(tk().rx.SatelliteText, "8");
  EXPECT_EQ(tk().rx.AntennaText, "61.7M");
  EXPECT_EQ(tk().rx.GeoidText, "55.2M");
  EXPECT_TRUE(tk().rx.GgaSeen);
  // No fix: the empty fields leave empty texts.
  ParseGga(tk(), "092751.000,,,,,0,0,,,M,,M,,*76\r\n");
  EXPECT_EQ(tk().rx.LatitudeText, "");
  EXPECT_EQ(tk().rx.StatusText, "0");
  EXPECT_EQ(tk().rx.AntennaText, "M");
}

TEST_F(Parsers, TimeSentenceStartsTheSecondAndArms) {
  const struct { int baseMesg, receiver; bool gga; bool startsSecond, armed; } cases[] = {
      {0, kJupiter, true, true, true},   {0, kGt77, true, true, false},
      {1, kJupiter, true, false, false}, {1, kCca370h, false, true, true},
      {1, kGt77, false, true, false},    {0, kJupiter, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.baseMesg << " " << c.receiver << " " << c.gga);
    TimeKeeperWorld w;
    w.settings.BaseMesg = c.baseMesg;
    w.settings.Receiver = c.receiver;
    TimeKeeper& a = w.tk();
    a.timing.PpsMarkerSeen = true;
    a.timing.SentenceToPpsTicks = 4;
    a.timing.PendingSecondTicks = 2;
    if (c.gga) {
      ParseGga(a, "120000,3540.5,N,13945.25,E,1,08,1.0,40.0,M,39.0,M,,*5C\r\n");
      EXPECT_TRUE(a.rx.GgaSeen);
      EXPECT_EQ(a.rx.LatitudeText, "3540.5N");
    } else {
      ParseRmc(a, "120000,A,3540.5,N,13945.25,E,0.0,0.0,011225,,,A*6A\r\n");
      EXPECT_TRUE(a.rx.RmcSeen);
      EXPECT_TRUE(a.pps.ReceiverDateKnown);
    }
    EXPECT_EQ(a.timing.SecondPending, c.startsSecond);
    EXPECT_EQ(a.timing.PpsMarkerSeen, !c.startsSecond);
    EXPECT_EQ(a.timing.SentenceToPpsTicks, c.startsSecond ? 0 : 4);
    EXPECT_EQ(a.timing.PendingSecondTicks, c.startsSecond ? 0 : 2);
    EXPECT_EQ(a.pps.PpsArmed, c.armed);
  }
}

TEST_F(Parsers, GgaStatusDecidesTimeValidExceptForGt77) {
  const struct { const char* status; int receiver; bool valid; } cases[] = {
      {"1", kJupiter, true}, {"2", kOtherReceiver, true}, {"0", kJupiter, false},
      {"6", kJupiter, false}, {"", kJupiter, false}, {"1", kGt77, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    settings.Receiver = c.receiver;
    tk().pps.TimeValid = false;
    ParseGga(tk(), std::string("120000,,,,,") + c.status + ",,,,,,,,*00\r\n");
    EXPECT_EQ(tk().pps.TimeValid, c.valid);
  }
}

TEST_F(Parsers, Gt77TimeIsValidOnlyByItsTimeSentence) {
  settings.Receiver = kGt77;
  ParseGga(tk(), "120000,3540.5,N,13945.25,E,1,08,1.0,40.0,M,39.0,M,,*5C\r\n");
  EXPECT_FALSE(tk().pps.TimeValid);
  EXPECT_FALSE(tk().pps.PpsArmed);
  // A line as the HP 58534A sends it (field 3 is the 1PPS status).
  ParseTps(tk(), "GPtps,101025222450,2,1,1,090101000000,00,15,101025162124,1607,167104\n");
  EXPECT_FALSE(tk().pps.TimeValid);
  EXPECT_EQ(tk().rx.TpsStatusText, "2");
  ParseTps(tk(), "GPtps,101025222450,3,1,1,090101000000,00,15,101025162124,1607,167104\n");
  EXPECT_TRUE(tk().pps.TimeValid);
  EXPECT_EQ(tk().rx.TpsStatusText, "3");
  EXPECT_TRUE(tk().rx.TpsSeen);
  EXPECT_TRUE(tk().pps.PpsArmed);
}

TEST_F(Parsers, RmcStatusBecomesAFixDigit) {
  const struct { const char* field; const char* text; bool valid; } cases[] = {
      {"A", "1", true}, {"V", "0", false}, {"", "0", false}, {"AX", "1X", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    tk().pps.TimeValid = false;
    ParseRmc(tk(), std::string("120000,") + c.field + ",,,,,,,011225,,,A*6A\r\n");
    EXPECT_EQ(tk().rx.StatusText, c.text);
    EXPECT_EQ(tk().pps.TimeValid, c.valid);
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
    cfg.NmeaMode = c.nmea;
    settings.dSec = c.dSec;
    SetTime(c.h, c.m, c.s);
    tk().pps.UtcYear = 2025;
    tk().pps.UtcMonth = 6;
    tk().pps.UtcDay = c.day;
    ApplySecondCorrection(tk());
    ExpectTime(c.eh, c.em, c.es);
    EXPECT_EQ(tk().pps.UtcDay, c.eday);
  }
}

// The day the second correction carries at midnight goes with the date the
// same sentence reads, across month and year ends; a sentence without a date
// moves the held one.
TEST_F(Parsers, TheMidnightCarryMovesTheDateOfTheSameSentence) {
  const struct { const char* kind; int dSec; const char* time; const char* date;
                 int ey, em, ed, eh, emin, es; } cases[] = {
      {"RMC", 2, "235958", "311224", 2025, 1, 1, 0, 0, 0},
      {"RMC", 2, "235959", "300625", 2025, 7, 1, 0, 0, 1},   // month end, 30 days
      {"RMC", 2, "235957", "281224", 2024, 12, 28, 23, 59, 59},
      {"RMC", -2, "000001", "010125", 2024, 12, 31, 23, 59, 59},
      {"RMC", -2, "000001", "010324", 2024, 2, 29, 23, 59, 59},  // leap year
      {"ZDA", 2, "235958", "31,12,2024", 2025, 1, 1, 0, 0, 0},
      {"ZDA", -2, "000000", "01,01,2025", 2024, 12, 31, 23, 59, 58},
      {"ZDA", 2, "120000", "28,02,2025", 2025, 2, 28, 12, 0, 2},
      {"GGA", 2, "235958", "", 2025, 1, 1, 0, 0, 0},         // the held 2024-12-31
      {"GGA", -2, "000001", "", 2024, 12, 30, 23, 59, 59},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << " " << c.time << " " << c.date << " " << c.dSec);
    settings.dSec = c.dSec;
    tk().pps.UtcYear = 2024;
    tk().pps.UtcMonth = 12;
    tk().pps.UtcDay = 31;
    const std::string kind = c.kind;
    if (kind == "RMC") ParseRmc(tk(), std::string(c.time) + ",A,,,,,,," + c.date + ",,,A*00\r\n");
    if (kind == "ZDA") ParseZda(tk(), std::string(c.time) + "," + c.date + ",00,00*00\r\n");
    if (kind == "GGA") ParseGga(tk(), std::string(c.time) + ",,,,,1,,,,,,,,*00\r\n");
    EXPECT_EQ(tk().pps.UtcYear, c.ey);
    EXPECT_EQ(tk().pps.UtcMonth, c.em);
    EXPECT_EQ(tk().pps.UtcDay, c.ed);
    ExpectTime(c.eh, c.emin, c.es);
  }
}

// Garbled dates never become the receiver's date, so they never reach the
// clock; the PC's date is used for that second instead.
TEST_F(Parsers, DatesOutsideTheCalendarAreNotTaken) {
  const char* const rmcDates[] = {"321224", "311324", "290223", "000124", "999999"};
  for (const char* date : rmcDates) {
    SCOPED_TRACE(date);
    tk().pps.ReceiverDateKnown = false;
    ParseRmc(tk(), std::string("120000,A,,,,,,,") + date + ",,,A*00\r\n");
    EXPECT_FALSE(tk().pps.ReceiverDateKnown);
  }
  const char* const zdaDates[] = {"1,1,1979", "1,1,2100", "31,4,2025", "2147483647,-2147483648,2025",
                                  "-1,-1,-1"};
  for (const char* date : zdaDates) {
    SCOPED_TRACE(date);
    ParseZda(tk(), std::string("120000,") + date + ",00,00*00\r\n");
    EXPECT_FALSE(tk().pps.ReceiverDateKnown);
  }
  ParseBin1000(tk(), ",,,,,,0,2025/13/01,");
  EXPECT_FALSE(tk().pps.ReceiverDateKnown);
  ParseBin1000(tk(), ",,,,,,0,2099/12/31,");
  EXPECT_TRUE(tk().pps.ReceiverDateKnown);
}

TEST_F(Parsers, LocalHourFollowsTheTimeZone) {
  const struct { int zone, utc, local; } cases[] = {
      {9, 20, 5}, {-5, 3, 22}, {9, 0, 9}, {0, 23, 23}, {13, 11, 0}, {-13, 12, 23},
  };
  for (const auto& c : cases) {
    settings.TimeZone = c.zone;
    SetTime(c.utc, 0, 0);
    ApplySecondCorrection(tk());
    EXPECT_EQ(tk().pps.LocalHour, c.local) << c.zone << " " << c.utc;
  }
}

TEST_F(Parsers, UnreadableNumbersLeaveEarlierValues) {
  settings.dSec = 2;
  // A time that cannot be read whole is neither taken nor shifted by dSec:
  // the held second must not drift with every sentence that has no time.
  const struct { const char* field; int eh, em, es; } times[] = {
      {"", 10, 20, 30}, {"12", 10, 20, 30}, {"1234x5", 10, 20, 30}, {"ab", 10, 20, 30},
      {" 1 2 3", 1, 2, 5}, {"-1", 10, 20, 30}, {"235958", 0, 0, 0},
  };
  for (const auto& c : times) {
    SCOPED_TRACE(c.field);
    SetTime(10, 20, 30);
    ParseGga(tk(), std::string(c.field) + ",,,,,,,,,,,,*00\r\n");
    ExpectTime(c.eh, c.em, c.es);
  }
  tk().pps.UtcDay = 4;
  tk().pps.UtcMonth = 5;
  tk().pps.UtcYear = 2024;
  ParseZda(tk(), "120000,x,,7,*00\r\n");  // no date: the held one stays, unknown
  EXPECT_EQ(tk().pps.UtcDay, 4);
  EXPECT_EQ(tk().pps.UtcMonth, 5);
  EXPECT_EQ(tk().pps.UtcYear, 2024);
  EXPECT_FALSE(tk().pps.ReceiverDateKnown);
  // An RMC without a date keeps the year (no century is added to it).
  tk().pps.UtcYear = 2024;
  ParseRmc(tk(), "120000,V,,,,,,,,,,N*00\r\n");
  EXPECT_EQ(tk().pps.UtcYear, 2024);
  ParseRmc(tk(), "120000,V,,,,,,,0102,,,N*00\r\n");  // half a date is no date
  EXPECT_EQ(tk().pps.UtcDay, 4);
  EXPECT_EQ(tk().pps.UtcMonth, 5);
  EXPECT_EQ(tk().pps.UtcYear, 2024);
  EXPECT_FALSE(tk().pps.ReceiverDateKnown);
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
  ParseZda(tk(), "120213.000,31,07,2022,+00,00*79\r\n");
  ExpectTime(12, 2, 13);
  EXPECT_EQ(tk().pps.UtcDay, 31);
  EXPECT_EQ(tk().pps.UtcMonth, 7);
  EXPECT_EQ(tk().pps.UtcYear, 2022);
  EXPECT_TRUE(tk().pps.ReceiverDateKnown);
  EXPECT_FALSE(tk().timing.SecondPending);
}

TEST_F(Parsers, Bin1108StepsTheDateAtMidnight) {
  const struct { int y, mo, d; const char* time; int ey, emo, ed; } cases[] = {
      {2025, 1, 31, "00:00:01", 2025, 2, 1},  {2025, 12, 31, "00:00:01", 2026, 1, 1},
      {2025, 12, 31, "00:00:00", 2026, 1, 1}, {2024, 2, 28, "00:00:01", 2024, 2, 29},
      {2025, 2, 28, "00:00:01", 2025, 3, 1},  {2025, 1, 31, "00:00:02", 2025, 1, 31},
      {2025, 1, 30, "00:00:01", 2025, 1, 31}, {2025, 1, 31, "23:59:59", 2025, 1, 31},
  };
  settings.dSec = 5;  // not applied to binary receivers
  cfg.NmeaMode = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << c.mo << "-" << c.d << " " << c.time);
    tk().pps.UtcYear = c.y;
    tk().pps.UtcMonth = c.mo;
    tk().pps.UtcDay = c.d;
    ParseBin1108(tk(), std::string("1,") + c.time + ",");
    EXPECT_EQ(tk().pps.UtcYear, c.ey);
    EXPECT_EQ(tk().pps.UtcMonth, c.emo);
    EXPECT_EQ(tk().pps.UtcDay, c.ed);
  }
}

TEST_F(Parsers, Bin1108StartsTheSecondWhateverBaseMesg) {
  cfg.NmeaMode = false;
  settings.BaseMesg = 1;
  settings.TimeZone = 9;
  tk().timing.PpsMarkerSeen = true;
  tk().timing.SentenceToPpsTicks = 5;
  ParseBin1108(tk(), "1,16:30:09,");
  ExpectTime(16, 30, 9);
  EXPECT_EQ(tk().pps.LocalHour, 1);
  EXPECT_EQ(tk().rx.TimeMarkStatusText, "1");
  EXPECT_TRUE(tk().pps.TimeValid);
  EXPECT_TRUE(tk().timing.SecondPending);
  EXPECT_FALSE(tk().timing.PpsMarkerSeen);
  EXPECT_EQ(tk().timing.SentenceToPpsTicks, 0);
  EXPECT_TRUE(tk().rx.Bin1108Seen);
  tk().pps.TimeValid = false;
  ParseBin1108(tk(), "0,16:30:10,");
  EXPECT_FALSE(tk().pps.TimeValid);
  EXPECT_EQ(tk().rx.TimeMarkStatusText, "0");
}

TEST_F(Parsers, Bin1000TakesPositionDatumAndDate) {
  const struct { int receiver; const char* datum; const char* text; } cases[] = {
      {kJupiter, "0", "WGS-84系"}, {kJupiter, "178", "日本測地系"},
      {kJupiter, "52", "測地系:52"}, {kCca370h, "", "old"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.datum);
    settings.Receiver = c.receiver;
    tk().rx.DatumText = view.LabelMapDatum = "old";
    tk().pps.PpsArmed = false;
    ParseBin1000(tk(), std::string("1,7,3530.0000N,13945.2500E,40.1M,39.0M,") + c.datum +
                          ",2025/12/01,");
    EXPECT_EQ(tk().rx.StatusText, "1");
    EXPECT_EQ(tk().rx.SatelliteText, "7");
    EXPECT_EQ(tk().rx.LatitudeText, "3530.0000N");
    EXPECT_EQ(tk().rx.LongitudeText, "13945.2500E");
    EXPECT_EQ(tk().rx.AntennaText, "40.1M");
    EXPECT_EQ(tk().rx.GeoidText, "39.0M");
    EXPECT_EQ(tk().rx.DatumText, c.text);
    EXPECT_EQ(view.LabelMapDatum, c.text);
    EXPECT_EQ(tk().pps.UtcYear, 2025);
    EXPECT_EQ(tk().pps.UtcMonth, 12);
    EXPECT_EQ(tk().pps.UtcDay, 1);
    EXPECT_TRUE(tk().rx.Bin1000Seen);
    EXPECT_TRUE(tk().pps.PpsArmed);
    EXPECT_TRUE(tk().pps.ReceiverDateKnown);
    EXPECT_FALSE(tk().timing.SecondPending);
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
    tk().rx.DatumText = view.LabelMapDatum = "old";
    cfg.ReceiverDatumCode = 99;
    ParseSsd(tk(), c.body);
    EXPECT_EQ(tk().rx.DatumText, c.text);
    EXPECT_EQ(view.LabelMapDatum, c.text);
    EXPECT_EQ(cfg.ReceiverDatumCode, c.code);
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
    ParseGrmm(tk(), c.body);
    EXPECT_EQ(tk().rx.DatumText, c.text);
    EXPECT_EQ(view.LabelMapDatum, c.text);
  }
}

TEST_F(Parsers, OverlongFieldsAreCut) {
  const std::string f20 = "12345678901234567890";
  ParseGga(tk(), "120000," + f20 + ",N,12345678901234,E," + f20 + ",99,1,1.0,M," + f20 + ",M,,*00\r\n");
  EXPECT_EQ(tk().rx.LatitudeText, "123456789012345");
  EXPECT_EQ(tk().rx.LongitudeText, "12345678901234E");
  EXPECT_EQ(tk().rx.StatusText, "123456789012345");
  EXPECT_EQ(tk().rx.SatelliteText, "99");
  EXPECT_EQ(tk().rx.GeoidText, "123456789012345");
  ParseTps(tk(), "GPtps,x," + f20 + ",");
  EXPECT_EQ(tk().rx.TpsStatusText, "123456789012345");
  ParseBin1108(tk(), f20 + ",00:00:10,");
  EXPECT_EQ(tk().rx.TimeMarkStatusText, "123456789012345");
  // A long datum code is cut at 31 bytes without splitting a character.
  settings.Receiver = kJupiter;
  ParseBin1000(tk(), ",,,,,," + f20 + f20 + ",,");
  EXPECT_EQ(tk().rx.DatumText, "測地系:" + (f20 + f20).substr(0, 21));
  std::string cut;
  CopyText(cut, "ab測地系", 4);  // "測" is three bytes: only "ab" fits
  EXPECT_EQ(cut, "ab");
}

}  // namespace

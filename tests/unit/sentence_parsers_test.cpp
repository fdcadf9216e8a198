#include "timekeeping/sentence_parsers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/time_keeper_world.h"
#include "timekeeping/sentence_time.h"
#include "timekeeping/sentence_fields.h"
#include "link/receiver_second.h"
#include "common/time_arithmetic.h"

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
    PpsTimingRecord& p = tk().pps;
    p.UtcYear = 2025;
    p.UtcMonth = 6;
    p.UtcDay = c.day;
    p.ReceiverDateKnown = true;
    // The held date goes with the time as the receiver sent it.
    p.DateTimeOfDay = c.h * 3600 + c.m * 60 + c.s + (c.nmea ? c.dSec : 0);
    SetTime(c.h, c.m, c.s);
    ApplySecondCorrection(tk());
    ExpectTime(c.eh, c.em, c.es);
    EXPECT_EQ(ReceiverSecondNtp(p, 0), ReceiverTimeToNtpSeconds(2025, 6, c.eday, c.eh, c.em, c.es));
  }
}

// Around midnight, month and year ends, in every order of the sentences of
// a burst and with every second correction, the receiver's coming second is
// the true one: the date goes with the time its own sentence carried.
TEST_F(Parsers, TheComingSecondIsRightAtMidnightInEverySentenceOrder) {
  const char* const orders[] = {"RMC GGA", "GGA RMC", "GGA ZDA", "ZDA GGA", "RMC", "GGA"};
  const double seconds[] = {
      ReceiverTimeToNtpSeconds(2026, 1, 1, 0, 0, 0),   ReceiverTimeToNtpSeconds(2026, 1, 1, 0, 0, 1),
      ReceiverTimeToNtpSeconds(2025, 12, 31, 23, 59, 59), ReceiverTimeToNtpSeconds(2026, 3, 1, 0, 0, 0),
      ReceiverTimeToNtpSeconds(2028, 3, 1, 0, 0, 0),   ReceiverTimeToNtpSeconds(2028, 2, 29, 0, 0, 1),
  };
  auto stamp = [](double t, const char* format, bool date) {
    const LocalTimeRecord r = NtpSecondsToLocalTime(t, 0);
    char text[32];
    if (date) {
      std::snprintf(text, sizeof text, format, r.Day, r.Month, r.Year % 100, r.Year);
    } else {
      std::snprintf(text, sizeof text, "%02d%02d%02d", r.Hour, r.Minute, r.Second);
    }
    return std::string(text);
  };
  // One burst: the sentences of the raw second t in the given order.
  auto burst = [&](const std::string& order, double t) {
    for (size_t at = 0; at < order.size(); at += 4) {
      const std::string kind = order.substr(at, 3);
      const std::string time = stamp(t, "", false);
      if (kind == "RMC") ParseRmc(tk(), time + ",A,,,,,,," + stamp(t, "%02d%02d%02d", true) + ",,,A*00\r\n");
      if (kind == "GGA") ParseGga(tk(), time + ",,,,,1,,,,,,,,*00\r\n");
      if (kind == "ZDA") ParseZda(tk(), time + "," + stamp(t, "%1$02d,%2$02d,%4$04d", true) + ",00,00*00\r\n");
    }
  };
  for (int dSec : {-2, 0, 1, 2}) {
    for (const char* order : orders) {
      for (double coming : seconds) {
        SCOPED_TRACE(testing::Message() << order << " dSec " << dSec << " coming "
                                        << stamp(coming, "", false) << " " << stamp(coming, "%02d%02d%02d", true));
        settings.dSec = dSec;
        Reconnect();
        const double raw = coming - dSec;
        burst("RMC GGA", raw - 1);  // the second before, with its date
        burst(order, raw);
        EXPECT_EQ(ReceiverSecondNtp(tk().pps, coming + 0.3), coming);
      }
    }
  }
}

// Dates read against the floor of this release: 1024 weeks early (a GPS
// week-number rollover) is moved on and told once; a date that cannot be
// true is no time source, and told; two-digit years are 2000 + yy.
TEST_F(Parsers, ReceiverDatesAreReadAgainstTheDateFloor) {
  const struct { const char* kind; const char* date; int y, m, d; bool known, moved; } cases[] = {
      {"RMC", "141005", 2025, 5, 30, true, true},    {"RMC", "010125", 2025, 1, 1, true, false},
      {"RMC", "311224", 2044, 8, 16, true, true},    {"RMC", "220899", 0, 0, 0, false, false},
      {"RMC", "060480", 0, 0, 0, false, false},      {"RMC", "321226", 0, 0, 0, false, false},
      {"RMC", "290227", 0, 0, 0, false, false},      {"RMC", "999999", 0, 0, 0, false, false},
      {"ZDA", "14,10,2005", 2025, 5, 30, true, true}, {"ZDA", "16,8,2044", 2044, 8, 16, true, false},
      {"ZDA", "17,8,2044", 0, 0, 0, false, false},   {"ZDA", "1,1,1979", 0, 0, 0, false, false},
      {"ZDA", "1,1,2100", 0, 0, 0, false, false},
      {"ZDA", "2147483647,-2147483648,2025", 0, 0, 0, false, false},
      {"1000", "2005/06/13", 2025, 1, 27, true, true}, {"1000", "2025/13/01", 0, 0, 0, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << " " << c.date);
    Reconnect();
    const std::string kind = c.kind;
    for (int repeat = 0; repeat < 2; ++repeat) {
      if (kind == "RMC") ParseRmc(tk(), std::string("120000,A,,,,,,,") + c.date + ",,,A*00\r\n");
      if (kind == "ZDA") ParseZda(tk(), std::string("120000,") + c.date + ",00,00*00\r\n");
      if (kind == "1000") ParseBin1000(tk(), std::string(",,,,,,0,") + c.date + ",");
    }
    EXPECT_EQ(tk().pps.ReceiverDateKnown, c.known);
    EXPECT_EQ(tk().pps.DateRefused, !c.known);
    EXPECT_EQ(tk().TimeUsable(), false);  // reception is not normal here anyway
    if (c.known) {
      EXPECT_EQ(tk().pps.UtcYear, c.y);
      EXPECT_EQ(tk().pps.UtcMonth, c.m);
      EXPECT_EQ(tk().pps.UtcDay, c.d);
    }
    EXPECT_EQ(log.Count("GPS週番号の周回"), c.moved ? 1 : 0);
    EXPECT_EQ(log.Count("は正しくありません"), c.known ? 0 : 1);
    log.lines.clear();
  }
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
  ParseZda(tk(), "120213.000,31,07,2026,+00,00*79\r\n");
  ExpectTime(12, 2, 13);
  EXPECT_EQ(tk().pps.UtcDay, 31);
  EXPECT_EQ(tk().pps.UtcMonth, 7);
  EXPECT_EQ(tk().pps.UtcYear, 2026);
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

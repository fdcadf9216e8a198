#include "receiver/nmea_sentences.h"

#include <algorithm>
#include <cstdio>

#include "receiver/nmea_text.h"

namespace sim {
namespace {

constexpr int kPrns[12] = {2, 5, 10, 12, 13, 15, 18, 21, 24, 25, 26, 29};
constexpr double kHdop = 1.1;

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

int SatellitePrn(int i) { return kPrns[std::clamp(i, 0, 11)]; }

int SatellitesUsed(const GeneratorOptions& o) {
  return o.fix ? std::clamp(o.satellites, 0, 12) : 0;
}

std::string GgaSentence(const NmeaStyle& style, const GeneratorOptions& o, const UtcFields& t) {
  std::string body = std::string(style.talker) + "GGA," + NmeaTime(t, style.timeDecimals) + ",";
  char count[8];
  std::snprintf(count, sizeof count, "%02d", SatellitesUsed(o));
  if (o.fix) {
    body += NmeaLatitude(o.latitudeDeg, style.minuteDecimals) + "," +
            NmeaLongitude(o.longitudeDeg, style.minuteDecimals) + ",1," + count + ",";
    if (style.zeroPadded) {
      body += Format("%05.2f", kHdop) + "," + Format("%08.1f", o.heightMsl) + ",M," +
              Format("%06.1f", o.geoidSeparation) + ",M,,";
    } else {
      body += Format("%.1f", kHdop) + "," + Format("%.1f", o.heightMsl) + ",M," +
              Format("%.1f", o.geoidSeparation) + ",M,,";
    }
  } else {
    body += ",,,,0," + std::string(count) + ",,,,,,,";
  }
  return NmeaSentence(body);
}

std::string RmcSentence(const NmeaStyle& style, const GeneratorOptions& o, const UtcFields& t) {
  std::string body = std::string(style.talker) + "RMC," + NmeaTime(t, style.timeDecimals) + ",";
  if (o.fix) {
    body += "A," + NmeaLatitude(o.latitudeDeg, style.minuteDecimals) + "," +
            NmeaLongitude(o.longitudeDeg, style.minuteDecimals) + ",0.0,0.0,";
  } else {
    body += "V,,,,,,,";
  }
  body += NmeaDate(t) + ",,";
  return NmeaSentence(body);
}

std::string GsaSentence(const NmeaStyle& style, const GeneratorOptions& o) {
  const int used = SatellitesUsed(o);
  std::string body = std::string(style.talker) + (o.fix ? "GSA,A,3," : "GSA,A,1,");
  for (int i = 0; i < 12; ++i) {
    if (i < used) {
      char prn[8];
      std::snprintf(prn, sizeof prn, "%02d", SatellitePrn(i));
      body += prn;
    }
    body += ',';
  }
  body += o.fix ? "2.0,1.1,1.7" : ",,";
  return NmeaSentence(body);
}

std::string GsvSentences(const GeneratorOptions& o) {
  const int inView = std::max(SatellitesUsed(o), 1);
  const int count = (inView + 3) / 4;
  std::string text;
  for (int n = 0; n < count; ++n) {
    char head[32];
    std::snprintf(head, sizeof head, "GPGSV,%d,%d,%02d", count, n + 1, inView);
    std::string body = head;
    for (int i = n * 4; i < std::min(inView, n * 4 + 4); ++i) {
      char sat[32];
      // A fixed sky: elevations and azimuths spread by index.
      std::snprintf(sat, sizeof sat, ",%02d,%02d,%03d,%02d", SatellitePrn(i), 15 + i * 6,
                    (i * 47) % 360, o.fix ? 38 + i % 10 : 0);
      body += sat;
    }
    text += NmeaSentence(body);
  }
  return text;
}

std::string GllSentence(const NmeaStyle& style, const GeneratorOptions& o, const UtcFields& t) {
  std::string body = std::string(style.talker) + "GLL,";
  if (o.fix) {
    body += NmeaLatitude(o.latitudeDeg, style.minuteDecimals) + "," +
            NmeaLongitude(o.longitudeDeg, style.minuteDecimals);
  } else {
    body += ",,,";
  }
  body += "," + NmeaTime(t, style.timeDecimals) + (o.fix ? ",A,A" : ",V,N");
  return NmeaSentence(body);
}

std::string VtgSentence(const NmeaStyle& style, const GeneratorOptions& o) {
  return NmeaSentence(std::string(style.talker) +
                      (o.fix ? "VTG,0.0,T,,M,0.0,N,0.0,K,A" : "VTG,,T,,M,,N,,K,N"));
}

std::string ZdaSentence(const NmeaStyle& style, const UtcFields& t) {
  char body[64];
  std::snprintf(body, sizeof body, "GPZDA,%s,%02d,%02d,%04d,+00,00",
                NmeaTime(t, style.timeDecimals).c_str(), t.day, t.month, t.year);
  return NmeaSentence(body);
}

}  // namespace sim

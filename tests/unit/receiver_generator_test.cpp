#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "link/line_assembly.h"
#include "link/sentence_buffer.h"
#include "receiver/burst_pacing.h"
#include "receiver/gpssim_args.h"
#include "receiver/receiver_generator.h"

namespace {

constexpr int64_t k2005_06_13_204220 = 1118695340;  // a Monday
constexpr int64_t k2005_06_18_235959 = 1119139199;  // Saturday, end of the week
constexpr int64_t k2024_12_31_235959 = 1735689599;
constexpr int64_t k2025_01_01_000000 = 1735689600;

GeneratorOptions Options(ReceiverModel model, bool fix = true) {
  GeneratorOptions o;
  o.model = model;
  o.fix = fix;
  return o;
}

std::string AllText(const std::vector<Burst>& bursts) {
  std::string text;
  for (const Burst& b : bursts) text.append(b.bytes.begin(), b.bytes.end());
  return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1)
    lines.push_back(text.substr(start, lf + 1 - start));
  EXPECT_EQ(start, text.size()) << "text ends inside a line";
  return lines;
}

std::vector<std::string> Fields(const std::string& sentence) {
  std::vector<std::string> fields;
  std::string field;
  for (char c : sentence.substr(0, sentence.find('*'))) {
    if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  fields.push_back(field);
  return fields;
}

// "$...*hh\r\n" with the XOR of the characters between '$' and '*'.
bool ChecksumValid(const std::string& s) {
  const size_t star = s.find('*');
  if (s.empty() || s[0] != '$' || star == std::string::npos || s.size() != star + 5) return false;
  if (s.compare(star + 3, 2, "\r\n") != 0) return false;
  unsigned sum = 0;
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(s[i]);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  return s.compare(star + 1, 2, hex) == 0;
}

const std::string* FindSentence(const std::vector<std::string>& lines, const std::string& head) {
  for (const std::string& line : lines)
    if (line.compare(0, head.size(), head) == 0) return &line;
  return nullptr;
}

TEST(ReceiverGeneratorNmea, SentencesLabelTheRightSecondPerModel) {
  struct Case {
    ReceiverModel model;
    std::vector<std::string> names;  // in the order sent
    std::string time;                // field 1 of GGA and RMC
    std::string date;                // RMC field 9
  };
  // The pulse at 2025-01-01 00:00:00: Jupiter NMEA writes the second before
  // (two behind the pulse it labels), the GT-77 the coming pulse, Garmin and
  // the multi-constellation receiver the pulse just passed.
  const Case cases[] = {
      {ReceiverModel::JupiterNmea, {"$GPGGA", "$GPGSA", "$GPRMC"}, "235959", "311224"},
      {ReceiverModel::Gt77, {"$GPGGA", "$GPRMC", "$PFEC", "$PFEC"}, "000001", "010125"},
      {ReceiverModel::Garmin, {"$GPRMC", "$GPGGA", "$GPGSA", "$PGRME", "$PGRMM"}, "000000",
       "010125"},
      {ReceiverModel::MultiGnss, {"$GNRMC", "$GNGGA", "$GPZDA"}, "000000.000", "010125"},
  };
  for (const Case& c : cases) {
    for (bool fix : {true, false}) {
      SCOPED_TRACE(std::string(ReceiverModelName(c.model)) + (fix ? " fix" : " no fix"));
      const auto bursts = ReceiverGenerator(Options(c.model, fix)).BurstsAfterEdge(k2025_01_01_000000);
      ASSERT_EQ(bursts.size(), 1u);
      EXPECT_GT(bursts[0].startOffset, 0.0);
      const auto lines = SplitLines(AllText(bursts));
      ASSERT_EQ(lines.size(), c.names.size());
      for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(ChecksumValid(lines[i])) << lines[i];
        EXPECT_EQ(Fields(lines[i])[0], c.names[i]);
      }
      const std::string talker = c.model == ReceiverModel::MultiGnss ? "$GN" : "$GP";
      const auto gga = Fields(*FindSentence(lines, talker + "GGA"));
      const auto rmc = Fields(*FindSentence(lines, talker + "RMC"));
      ASSERT_GE(gga.size(), 15u);
      ASSERT_GE(rmc.size(), 11u);  // the date must not be the last field
      EXPECT_EQ(gga[1], c.time);
      EXPECT_EQ(rmc[1], c.time);
      EXPECT_EQ(rmc[9], c.date);
      EXPECT_EQ(gga[6], fix ? "1" : "0");
      EXPECT_EQ(rmc[2], fix ? "A" : "V");
      if (fix) {
        EXPECT_EQ(gga[3], "N");
        EXPECT_EQ(gga[5], "E");
        EXPECT_DOUBLE_EQ(std::stod(gga[9]), 40.0);  // the GT-77 pads: 00040.0
        EXPECT_DOUBLE_EQ(std::stod(gga[11]), 37.0);
      } else {
        EXPECT_EQ(gga[2] + gga[3] + gga[4] + gga[5] + gga[9] + gga[11], "");
        EXPECT_EQ(rmc[3] + rmc[4] + rmc[5] + rmc[6], "");
      }
    }
  }
}

TEST(ReceiverGeneratorNmea, PositionFieldsAndProprietarySentences) {
  // Latitude 35.681236 = 35 deg 40.87416 min; longitude 139.767125 = 139 deg
  // 46.0275 min.
  const auto jupiter = SplitLines(AllText(
      ReceiverGenerator(Options(ReceiverModel::JupiterNmea)).BurstsAfterEdge(k2005_06_13_204220)));
  const auto gga = Fields(jupiter[0]);
  EXPECT_EQ(gga[2] + gga[3] + gga[4] + gga[5], "3540.8742N13946.0275E");

  const auto gt77 = SplitLines(AllText(
      ReceiverGenerator(Options(ReceiverModel::Gt77)).BurstsAfterEdge(k2024_12_31_235959)));
  const auto tps = Fields(*FindSentence(gt77, "$PFEC,GPtps,"));
  ASSERT_GE(tps.size(), 5u);
  EXPECT_EQ(tps[2], "250101000000");  // the coming pulse
  EXPECT_EQ(tps[3], "3");             // time valid
  const auto ssd = Fields(*FindSentence(gt77, "$PFEC,GPssd,"));
  ASSERT_GE(ssd.size(), 4u);          // the datum code is comma-terminated
  EXPECT_EQ(ssd[2], "G001");
  GeneratorOptions noFix = Options(ReceiverModel::Gt77, false);
  noFix.tokyoDatum = true;
  const auto gt77NoFix = SplitLines(AllText(ReceiverGenerator(noFix).BurstsAfterEdge(0)));
  EXPECT_NE(Fields(*FindSentence(gt77NoFix, "$PFEC,GPtps,"))[3], "3");
  EXPECT_EQ(Fields(*FindSentence(gt77NoFix, "$PFEC,GPssd,"))[2], "G003");

  const auto garmin = SplitLines(AllText(
      ReceiverGenerator(Options(ReceiverModel::Garmin)).BurstsAfterEdge(k2005_06_13_204220)));
  EXPECT_EQ(*FindSentence(garmin, "$PGRMM"), "$PGRMM,WGS 84*06\r\n");  // as a Garmin 48 sends it

  const auto gnss = SplitLines(AllText(
      ReceiverGenerator(Options(ReceiverModel::MultiGnss)).BurstsAfterEdge(k2024_12_31_235959)));
  const auto zda = Fields(*FindSentence(gnss, "$GPZDA"));
  ASSERT_GE(zda.size(), 6u);
  EXPECT_EQ(zda[1] + "," + zda[2] + "," + zda[3] + "," + zda[4], "235959.000,31,12,2024");
}

// Little-endian fields of a Jupiter frame.
unsigned U16(const std::vector<uint8_t>& f, size_t at) { return f.at(at) | (f.at(at + 1) << 8); }
int32_t S32(const std::vector<uint8_t>& f, size_t at) {
  return static_cast<int32_t>(U16(f, at) | (static_cast<uint32_t>(U16(f, at + 2)) << 16));
}

// Splits a burst into Jupiter frames, checking sync word and both checksums.
std::vector<std::vector<uint8_t>> JupiterFrames(const std::vector<uint8_t>& bytes) {
  std::vector<std::vector<uint8_t>> frames;
  size_t at = 0;
  while (at + 10 <= bytes.size()) {
    std::vector<uint8_t> header(bytes.begin() + at, bytes.begin() + at + 10);
    EXPECT_EQ(U16(header, 0), 0x81FFu);
    unsigned sum = 0;
    for (size_t i = 0; i < 10; i += 2) sum += U16(header, i);
    EXPECT_EQ(sum & 0xFFFF, 0u) << "header checksum";
    const size_t length = 12 + 2 * U16(header, 4);
    if (at + length > bytes.size()) break;
    std::vector<uint8_t> frame(bytes.begin() + at, bytes.begin() + at + length);
    sum = 0;
    for (size_t i = 10; i < length; i += 2) sum += U16(frame, i);
    EXPECT_EQ(sum & 0xFFFF, 0u) << "data checksum";
    frames.push_back(frame);
    at += length;
  }
  EXPECT_EQ(at, bytes.size()) << "bytes after the last whole frame";
  return frames;
}

TEST(ReceiverGeneratorJupiterBinary, FramesCarryDateAndTimeMark) {
  struct Case {
    int64_t edge;
    int day, month, year;  // 1000: date of the solution one second before the pulse
    int32_t secondsOfWeek; // 1108: UTC seconds of the week of the pulse after
  };
  const Case cases[] = {
      {k2005_06_13_204220, 13, 6, 2005, 86400 + 20 * 3600 + 42 * 60 + 21},
      {k2005_06_18_235959, 18, 6, 2005, 0},                  // into Sunday
      {k2024_12_31_235959, 31, 12, 2024, 3 * 86400},         // into Wednesday 2025-01-01
  };
  for (const Case& c : cases) {
    for (bool fix : {true, false}) {
      SCOPED_TRACE(std::to_string(c.edge) + (fix ? " fix" : " no fix"));
      const auto bursts =
          ReceiverGenerator(Options(ReceiverModel::JupiterBinary, fix)).BurstsAfterEdge(c.edge);
      ASSERT_EQ(bursts.size(), 2u);
      EXPECT_LT(bursts[0].startOffset, bursts[1].startOffset);
      EXPECT_NEAR(bursts[1].startOffset, 0.6, 0.1);  // about 400 ms before its pulse
      const auto first = JupiterFrames(bursts[0].bytes);
      const auto mark = JupiterFrames(bursts[1].bytes);
      ASSERT_EQ(first.size(), 2u);
      ASSERT_EQ(mark.size(), 1u);
      const auto& position = first[0];
      EXPECT_EQ(U16(position, 2), 1000u);
      EXPECT_EQ(U16(first[1], 2), 1002u);
      EXPECT_EQ(U16(mark[0], 2), 1108u);
      EXPECT_EQ(U16(position, 36), static_cast<unsigned>(c.day));
      EXPECT_EQ(U16(position, 38), static_cast<unsigned>(c.month));
      EXPECT_EQ(U16(position, 40), static_cast<unsigned>(c.year));
      EXPECT_EQ(S32(mark[0], 26), c.secondsOfWeek);
      EXPECT_EQ((U16(mark[0], 36) & 3) == 3, fix);
      if (fix) {
        EXPECT_EQ(U16(position, 22), 8u);
        EXPECT_NEAR(S32(position, 52), 62275505, 1);   // 35.681236 deg in 1e-8 rad
        EXPECT_NEAR(S32(position, 56), 243939652, 1);  // 139.767125 deg
        EXPECT_EQ(S32(position, 60), 7700);            // ellipsoid height, cm
        EXPECT_EQ(U16(position, 64), 3700u);
      }
    }
  }
}

int32_t Groups(const std::vector<uint8_t>& f, size_t at, int groups) {
  int32_t v = 0;
  for (int i = 0; i < groups; ++i) v = (v << 7) | f.at(at + static_cast<size_t>(i));
  if (f.at(at) & 0x40) v -= 1 << (7 * groups);
  return v;
}

TEST(ReceiverGeneratorCca, FramesAreSevenBitWithEndByte) {
  for (bool fix : {true, false}) {
    SCOPED_TRACE(fix ? "fix" : "no fix");
    GeneratorOptions o = Options(ReceiverModel::Cca370h, fix);
    o.latitudeDeg = -33.5;  // south and west: negative groups
    o.longitudeDeg = -18.75;
    const auto bursts = ReceiverGenerator(o).BurstsAfterEdge(k2024_12_31_235959);
    ASSERT_EQ(bursts.size(), 2u);
    const auto& position = bursts[0].bytes;
    const auto& mark = bursts[1].bytes;
    ASSERT_EQ(position.size(), 81u);
    ASSERT_EQ(mark.size(), 28u);
    EXPECT_EQ(position[0], 0xC6);
    EXPECT_EQ(position[80], 0xDA);
    EXPECT_EQ(mark[0], 0xC0);
    for (size_t i = 1; i < 80; ++i) EXPECT_LT(position[i], 0x80) << "position byte " << i;
    for (size_t i = 1; i < 27; ++i) EXPECT_LT(mark[i], 0x80) << "time-mark byte " << i;
    // Time mark of the coming pulse, 2025-01-01 00:00:00.
    EXPECT_EQ(mark[4] * 10000 + mark[5] * 100 + mark[6], 0);
    EXPECT_EQ(mark[7] == 0 && mark[8] == 1 && mark[10] == 0, fix);
    // Position of the second before, 2024-12-31.
    EXPECT_EQ(position[18] * 10000 + position[19] * 100 + position[20], 241231);
    EXPECT_EQ((position[78] & 1) == 0, fix);
    if (fix) {
      EXPECT_EQ(Groups(position, 1, 4), -2010000);  // 0.001 minute of arc
      EXPECT_EQ(Groups(position, 5, 4), -1125000);
      EXPECT_EQ(Groups(position, 9, 3), 40);
      int used = 0;
      for (size_t at = 34; at <= 76; at += 6) used += (position[at] & 3) == 2;
      EXPECT_EQ(used, 8);
    }
  }
}

// What the program's line assembly makes of two seconds of generated bytes,
// handed over in the pieces a paced writer sends.
std::vector<std::string> Assemble(ReceiverModel model, int receiverKind, int64_t edge) {
  const ReceiverGenerator generator(Options(model));
  LineAssembler assembler(static_cast<ReceiverKind>(receiverKind));
  std::vector<std::string> records;
  for (int64_t second = edge; second < edge + 2; ++second) {
    for (const Burst& burst : generator.BurstsAfterEdge(second)) {
      for (const PacedPiece& piece : PaceBurst(burst, 4800)) {
        SentenceBuffer out;
        assembler.ChunkReady(burst.bytes.data() + piece.begin, piece.end - piece.begin, out);
        if (!out.Empty()) records.push_back(out.Text());
      }
    }
  }
  return records;
}

TEST(ReceiverGeneratorRoundTrip, LineAssemblyDecodesGeneratedFrames) {
  const std::vector<std::string> jupiter = {
      "#1000,1,8,3540.8742N,13946.0275E,77.0M,37.0M,0,2005/06/13,",
      "#1002,dummy,",
      "#1108,1,20:42:21,",
      "#1000,1,8,3540.8742N,13946.0275E,77.0M,37.0M,0,2005/06/13,",
      "#1002,dummy,",
      "#1108,1,20:42:22,",
  };
  EXPECT_EQ(Assemble(ReceiverModel::JupiterBinary, 0, k2005_06_13_204220), jupiter);
  const std::vector<std::string> cca = {
      "#1000,1,8,3540.874N,13946.028E,40M,,,2024/12/31,",
      "#1108,1,00:00:00,",
      "#1000,1,8,3540.874N,13946.028E,40M,,,2024/12/31,",
      "#1108,1,00:00:01,",
  };
  EXPECT_EQ(Assemble(ReceiverModel::Cca370h, 2, k2024_12_31_235959), cca);
  // Text receivers pass whole sentences.
  const auto garmin = Assemble(ReceiverModel::Garmin, 3, k2005_06_13_204220);
  ASSERT_EQ(garmin.size(), 10u);
  EXPECT_EQ(garmin[1].substr(0, 14), "$GPGGA,204220,");
}

TEST(ReceiverGeneratorPacing, PiecesFollowTheBaudRate) {
  Burst burst{0.05, std::vector<uint8_t>(23, 'x')};
  const auto pieces = PaceBurst(burst, 4800);  // 2.083 ms a byte, 5 bytes a piece
  ASSERT_EQ(pieces.size(), 5u);
  EXPECT_EQ(pieces[0].begin, 0u);
  EXPECT_EQ(pieces[4].end, 23u);
  for (size_t i = 1; i < pieces.size(); ++i) EXPECT_EQ(pieces[i].begin, pieces[i - 1].end);
  EXPECT_NEAR(pieces[4].offset, 0.05 + 23 * 10.0 / 4800, 1e-9);
  // At any baud every burst of every model ends before the next pulse.
  for (auto model : {ReceiverModel::JupiterNmea, ReceiverModel::JupiterBinary,
                     ReceiverModel::Gt77, ReceiverModel::Cca370h, ReceiverModel::Garmin,
                     ReceiverModel::MultiGnss}) {
    for (const Burst& b : ReceiverGenerator(Options(model)).BurstsAfterEdge(k2005_06_13_204220))
      EXPECT_LT(PaceBurst(b, 4800).back().offset, 0.95) << ReceiverModelName(model);
  }
}

TEST(ReceiverGeneratorTiming, EachModelStartsAtItsOwnOffsetAndStraysWithinItsSpread) {
  struct Case {
    ReceiverModel model;
    double first;   // first burst, seconds after the pulse
    double mark;    // binary time mark (0: none)
    double spread;  // standard deviation of the start from second to second
  };
  const Case cases[] = {
      {ReceiverModel::JupiterNmea, 0.05, 0, 0.010},
      {ReceiverModel::JupiterBinary, 0.05, 0.60, 0.0005},
      {ReceiverModel::Gt77, 0.03, 0, 0.010},
      {ReceiverModel::Cca370h, 0.03, 0.60, 0.001},
      {ReceiverModel::Garmin, 0.02, 0, 0.009},
      {ReceiverModel::MultiGnss, 0.10, 0, 0.010},
  };
  constexpr int kSeconds = 3000;
  for (const Case& c : cases) {
    SCOPED_TRACE(ReceiverModelName(c.model));
    // The longest bursts the model sends: the GSV sentences, 12 satellites.
    GeneratorOptions o = Options(c.model);
    o.withGsv = true;
    o.satellites = 12;
    const ReceiverGenerator generator(o);
    const ReceiverGenerator again(o);
    const double bound = std::sqrt(3.0) * c.spread + 1e-12;
    double sum = 0, sumSquares = 0;
    for (int i = 0; i < kSeconds; ++i) {
      const int64_t edge = k2024_12_31_235959 + i;
      const auto bursts = generator.BurstsAfterEdge(edge);
      ASSERT_EQ(bursts.size(), c.mark > 0 ? 2u : 1u);
      ASSERT_EQ(bursts[0].startOffset, again.BurstsAfterEdge(edge)[0].startOffset) << edge;
      const double shift = bursts[0].startOffset - c.first;
      ASSERT_LE(std::fabs(shift), bound) << edge;
      ASSERT_GT(bursts[0].startOffset, 0.0) << edge;
      if (c.mark > 0) {
        // The time mark moves with the second's output and starts after the
        // first burst has crossed the line.
        ASSERT_NEAR(bursts[1].startOffset - c.mark, shift, 1e-9) << edge;
        ASSERT_LT(PaceBurst(bursts[0], 4800).back().offset, bursts[1].startOffset) << edge;
      }
      // Whole bursts stay inside their second at 4800 baud, so the time mark
      // comes before the pulse it labels.
      for (const Burst& b : bursts) ASSERT_LT(PaceBurst(b, 4800).back().offset, 0.95) << edge;
      sum += shift;
      sumSquares += shift * shift;
    }
    const double mean = sum / kSeconds;
    EXPECT_NEAR(mean, 0, 0.1 * c.spread);
    EXPECT_NEAR(std::sqrt(sumSquares / kSeconds - mean * mean), c.spread, 0.1 * c.spread);
  }
}

TEST(ReceiverGeneratorTiming, OverriddenTimingIsKeptExactly) {
  GeneratorOptions o = Options(ReceiverModel::Cca370h);
  o.firstBurstOffset = 0.2;
  o.timeMarkOffset = 0.7;
  o.burstSpread = 0;
  for (int64_t edge : {k2005_06_13_204220, k2005_06_18_235959, k2024_12_31_235959}) {
    const auto bursts = ReceiverGenerator(o).BurstsAfterEdge(edge);
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_EQ(bursts[0].startOffset, 0.2);
    EXPECT_EQ(bursts[1].startOffset, 0.7);
  }
  // An offset at the pulse itself never moves before it.
  o = Options(ReceiverModel::Garmin);
  o.firstBurstOffset = 0;
  for (int64_t edge = k2025_01_01_000000; edge < k2025_01_01_000000 + 100; ++edge)
    ASSERT_GE(ReceiverGenerator(o).BurstsAfterEdge(edge)[0].startOffset, 0.0) << edge;
}

TEST(ReceiverGeneratorArgs, CommandLine) {
  std::string error;
  const auto args = ParseGpssimArgs({"--receiver", "cca370h", "--offset", "-1.5", "--no-fix",
                                     "--seconds", "3", "--link", "/tmp/gps0"},
                                    error);
  ASSERT_TRUE(args) << error;
  EXPECT_EQ(args->generator.model, ReceiverModel::Cca370h);
  EXPECT_DOUBLE_EQ(args->offset, -1.5);
  EXPECT_FALSE(args->generator.fix);
  EXPECT_EQ(args->seconds, 3);
  EXPECT_EQ(args->link, "/tmp/gps0");
  EXPECT_EQ(args->baud, 4800);
  for (const std::vector<std::string_view>& bad :
       std::vector<std::vector<std::string_view>>{{},
                                                  {"--receiver", "sirf"},
                                                  {"--receiver", "garmin", "--baud"},
                                                  {"--receiver", "garmin", "--baud", "48x"},
                                                  {"--receiver", "garmin", "--offset", "nan"},
                                                  {"--receiver", "garmin", "--frobnicate", "1"}}) {
    EXPECT_FALSE(ParseGpssimArgs(bad, error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace

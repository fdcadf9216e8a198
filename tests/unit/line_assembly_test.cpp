#include "link/line_assembly.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "link/jupiter_frame.h"
#include "support/captures.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Records = std::vector<std::string>;

constexpr ReceiverKind kCca = kCca370h, kGarmin = kGarminStd, kOther = kOtherReceiver;

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Feeds one pass and returns the records it made.
Records Feed(LineAssembler& assembler, const Bytes& chunk) {
  Records records;
  assembler.ChunkReady(chunk.data(), chunk.size(),
                       [&](std::string_view r) { records.emplace_back(r); });
  return records;
}

// Feeds `stream` in passes of `piece` bytes and returns all records.
Records FeedInPieces(LineAssembler& assembler, const Bytes& stream, size_t piece) {
  Records records;
  for (size_t pos = 0; pos < stream.size(); pos += piece) {
    const Bytes chunk(stream.begin() + pos, stream.begin() + std::min(stream.size(), pos + piece));
    for (std::string& r : Feed(assembler, chunk)) records.push_back(std::move(r));
  }
  return records;
}

Bytes JupiterTimeMark(int32_t secondsOfWeek) {
  std::vector<uint16_t> words(14);
  words[8] = static_cast<uint16_t>(secondsOfWeek);        // byte 26
  words[9] = static_cast<uint16_t>(secondsOfWeek >> 16);
  words[13] = 3;                                           // byte 36: valid
  return BuildJupiterFrame(1108, words, 0);
}

Bytes JupiterPosition() {
  std::vector<uint16_t> words(49);
  words[6] = 5;                                  // byte 22: measurements used
  words[13] = 13, words[14] = 6, words[15] = 2005;  // bytes 36..41: date
  words[21] = 61959188 & 0xFFFF, words[22] = 61959188 >> 16;  // byte 52: 35.5 degrees
  return BuildJupiterFrame(1000, words, 0);
}
const char* const kJupiterPositionRecord =
    "#1000,1,5,3530.0000N,000.0000E,0.0M,0.0M,0,2005/06/13,";

TEST(LineAssembly, TextSentenceInThreeChunksIsPassedOnceWhole) {
  LineAssembler assembler;
  const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
  EXPECT_TRUE(Feed(assembler, Text(gga.substr(0, 20))).empty());
  EXPECT_TRUE(Feed(assembler, Text(gga.substr(20, 30))).empty());
  EXPECT_EQ(Feed(assembler, Text(gga.substr(50))), Records{gga});
  EXPECT_EQ(assembler.LineLength(), 0u);
}

TEST(LineAssembly, OnlyLinesBeginningWithDollarOrEqualsArePassed) {
  LineAssembler assembler(kOther);
  const Bytes chunk = Text(
      "$GPZDA,201530.00,04,07,2002,00,00*60\r\n"
      "!AIVDM,1,1,,B,13aGhtw0R<OJf=6LgQ?Ad1FF05`L,0*24\r\n"
      "=PPS,,\n"
      "\r\n"
      "GPGGA,no dollar\r\n"
      "$PGRMM,WGS 84*06\n"
      "$GPRMC,unfinished");
  EXPECT_EQ(Feed(assembler, chunk),
            (Records{"$GPZDA,201530.00,04,07,2002,00,00*60\r\n", "=PPS,,\n", "$PGRMM,WGS 84*06\n"}));
}

TEST(LineAssembly, JupiterChecksumOffByOneGivesNoLineAndEndsFrameAssembly) {
  struct Case {
    const char* name;
    size_t byte;  // the checksum byte made off by one
  } cases[] = {{"header checksum", 8}, {"data checksum", JupiterPosition().size() - 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineAssembler assembler;
    Bytes frame = JupiterPosition();
    ++frame[c.byte];
    EXPECT_TRUE(Feed(assembler, frame).empty());
    EXPECT_FALSE(assembler.BinaryMode());
    EXPECT_EQ(assembler.LineLength(), frame.size());  // the bytes stay
    // Text assembly takes over: the stale bytes end with the first line feed.
    EXPECT_EQ(Feed(assembler, Text("\r\n$GPZDA,1*00\r\n")), Records{"$GPZDA,1*00\r\n"});
  }
}

TEST(LineAssembly, FrameSplitOverTwoChunksIsDecodedWhenItsLastByteArrives) {
  // Every split point, including FF alone at the end of the first pass.
  const Bytes stream = Join({Text("\x10\x20"), JupiterPosition()});
  for (size_t split = 1; split < stream.size(); ++split) {
    SCOPED_TRACE(split);
    LineAssembler assembler;
    EXPECT_TRUE(Feed(assembler, Bytes(stream.begin(), stream.begin() + split)).empty());
    EXPECT_EQ(Feed(assembler, Bytes(stream.begin() + split, stream.end())),
              Records{kJupiterPositionRecord});
    EXPECT_TRUE(assembler.BinaryMode());
    EXPECT_EQ(assembler.LineLength(), 0u);
  }
}

TEST(LineAssembly, EveryCompleteFrameOfAPassIsDecoded) {
  // Includes a frame without data words: a 10-byte header, no data checksum.
  const Bytes stream = Join({JupiterTimeMark(90061), JupiterPosition(),
                             BuildJupiterFrame(1002, std::vector<uint16_t>(45, 0x1234), 0),
                             BuildJupiterFrame(1012, {}, 0), JupiterTimeMark(90062)});
  const Records expected = {"#1108,1,01:01:01,", kJupiterPositionRecord, "#1002,dummy,",
                            "#1012,dummy,", "#1108,1,01:01:02,"};
  for (size_t piece : {stream.size(), size_t{1}, size_t{3}, size_t{10}, size_t{41}, size_t{200}}) {
    SCOPED_TRACE(piece);
    LineAssembler assembler;
    EXPECT_EQ(FeedInPieces(assembler, stream, piece), expected);
  }
  LineAssembler assembler;
  EXPECT_EQ(Feed(assembler, stream).size(), expected.size());  // all at once, none held back
}

TEST(LineAssembly, HeaderAnnouncingAFrameLongerThanTheLineEndsFrameAssembly) {
  LineAssembler assembler;
  const Bytes huge = BuildJupiterFrame(1003, std::vector<uint16_t>(600), 0);
  EXPECT_EQ(Feed(assembler, Join({Bytes(huge.begin(), huge.begin() + 20), JupiterTimeMark(90061)})),
            Records{"#1108,1,01:01:01,"});
}

TEST(LineAssembly, RecordThatDoesNotFitTheSentenceBufferIsDroppedWhole) {
  LineAssembler assembler;
  SentenceBuffer out;
  ASSERT_TRUE(out.Append(std::string(1000, 'x')));
  const std::string before = out.Text();
  const Bytes position = JupiterPosition();  // a 55-character record
  assembler.ChunkReady(position.data(), position.size(), out);
  EXPECT_EQ(out.Text(), before);
  const Bytes mark = JupiterTimeMark(90061);  // 17 characters still fit
  assembler.ChunkReady(mark.data(), mark.size(), out);
  EXPECT_EQ(out.Text(), before + "#1108,1,01:01:01,");
}

Bytes CcaTimeMark(int hour, int minute, int second, bool valid) {
  Bytes f(28, 0);
  f[0] = 0xC0;
  f[4] = hour, f[5] = minute, f[6] = second;
  f[8] = valid ? 1 : 0;
  return f;
}

void PutGroups(Bytes& f, size_t at, int32_t value, int groups) {
  const uint32_t u = static_cast<uint32_t>(value);
  for (int i = 0; i < groups; ++i) f[at + i] = (u >> (7 * (groups - 1 - i))) & 0x7F;
}

Bytes CcaPosition(size_t length, int32_t lat, int32_t lon, int32_t height, int usedChannels,
                  bool noPosition) {
  Bytes f(length, 0);
  f[0] = 0xC6;
  PutGroups(f, 1, lat, 4);
  PutGroups(f, 5, lon, 4);
  PutGroups(f, 9, height, 3);
  f[18] = 23, f[19] = 5, f[20] = 1;
  for (int ch = 0; ch < 8; ++ch) f[34 + 6 * ch] = ch < usedChannels ? 0x12 : (ch % 2 ? 3 : 1);
  f[78] = noPosition ? 0x41 : 0x40;
  f[length - 1] = 0xDA;
  return f;
}

// Only a line longer than the capacity is dropped: the lines after it are
// kept, also when they come in the same pass as its end, and whatever the
// pass sizes (the port gives passes of up to 1024 bytes).
TEST(LineAssembly, ALineLongerThanTheCapacityIsDroppedAndOnlyIt) {
  const std::string zda = "$GPZDA,1*00\r\n", rmc = "$GPRMC,2*00\r\n";
  const std::string fits = "$GPGGA," + std::string(1015, '1') + "\r\n";    // 1024
  const std::string tooLong = "$GPGGA," + std::string(1016, '1') + "\r\n"; // 1025
  const struct {
    const char* what;
    std::string stream;
    size_t piece;
    Records records;
  } cases[] = {
      {"its end and the next lines in one pass", tooLong + zda + rmc, 1000, {zda, rmc}},
      {"in passes of 1024", fits + tooLong + zda + fits + rmc, 1024, {fits, zda, fits, rmc}},
      {"byte by byte", tooLong + fits + zda, 1, {fits, zda}},
      {"far too long", std::string(5000, '$') + "\r\n" + zda, 1024, {zda}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LineAssembler assembler;
    EXPECT_EQ(FeedInPieces(assembler, Text(c.stream), c.piece), c.records);
    EXPECT_EQ(assembler.LineLength(), 0u);
  }

  // A CCA-370H position frame without its end byte is given up at the
  // capacity; the next frame start begins afresh.
  Bytes broken(1100, 0x11);
  broken[0] = 0xC6;  // a position frame's lead byte
  LineAssembler frames(kCca);
  EXPECT_EQ(FeedInPieces(frames, Join({broken, CcaTimeMark(1, 2, 3, true)}), 1024),
            Records{"#1108,1,01:02:03,"});
}

TEST(CcaFrameAssembly, PositionAndTimeMarkLines) {
  struct Case {
    const char* name;
    Bytes frame;
    const char* record;
  } cases[] = {
      {"position", CcaPosition(81, 2130000, -8370000, -5, 3, false),
       "#1000,1,3,3530.000N,13930.000W,-5M,,,2023/05/01,"},
      {"no position", CcaPosition(81, 2130000, 8370000, 45, 3, true),
       "#1000,0,0,3530.000N,13930.000E,45M,,,2023/05/01,"},
      {"south, long frame", CcaPosition(142, -1995123, 1, 1048575, 8, false),
       "#1000,1,8,3315.123S,000.001E,1048575M,,,2023/05/01,"},
      {"valid time mark", CcaTimeMark(12, 34, 56, true), "#1108,1,12:34:56,"},
      {"time mark not valid", CcaTimeMark(0, 0, 9, false), "#1108,0,00:00:09,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineAssembler assembler(kCca);
    EXPECT_EQ(Feed(assembler, c.frame), Records{c.record});
    EXPECT_EQ(assembler.LineLength(), 0u);
  }
}

TEST(CcaFrameAssembly, FramesOfEveryLengthFollowingEachOther) {
  Bytes stream;
  Records expected;
  for (size_t length : {81, 119, 122, 142}) {
    stream = Join({stream, CcaPosition(length, 2130000, 8370000, 7, 2, false),
                   CcaTimeMark(1, 2, static_cast<int>(length % 60), true)});
    expected.push_back("#1000,1,2,3530.000N,13930.000E,7M,,,2023/05/01,");
    expected.push_back("#1108,1,01:02:" + std::to_string(length % 60 + 100).substr(1) + ",");
  }
  for (size_t piece : {stream.size(), size_t{1}, size_t{50}}) {
    SCOPED_TRACE(piece);
    LineAssembler assembler(kCca);
    EXPECT_EQ(FeedInPieces(assembler, stream, piece), expected);
  }
}

TEST(LineAssembly, FrameStartsFollowTheReceiverKind) {
  const Bytes jupiter = JupiterTimeMark(90061);
  const Bytes cca = CcaTimeMark(1, 2, 3, true);
  const char* const jupiterLine = "#1108,1,01:01:01,";
  const char* const ccaLine = "#1108,1,01:02:03,";
  struct Case {
    ReceiverKind kind;
    Records expected;
  } cases[] = {
      {kJupiter, {jupiterLine, jupiterLine}},
      {kGt77, {jupiterLine, ccaLine, jupiterLine}},
      {kCca, {ccaLine}},
      {kGarmin, {jupiterLine, ccaLine, jupiterLine}},
      {kOther, {jupiterLine, ccaLine, jupiterLine}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    LineAssembler assembler(c.kind);
    EXPECT_EQ(Feed(assembler, Join({jupiter, cca, jupiter})), c.expected);
  }
}

// The real Jupiter capture: binary frames only, all checksums valid.
Bytes LoadCapture(const std::string& name) {
  const std::string bytes = ReadCapture(name);
  return Bytes(bytes.begin(), bytes.end());
}

struct CaptureFrame {
  size_t offset;
  uint16_t id;
};

// Walks the stream frame by frame with its own reading of the layout.
std::vector<CaptureFrame> WalkFrames(const Bytes& b) {
  auto word = [&](size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); };
  std::vector<CaptureFrame> frames;
  size_t pos = 0;
  while (pos + 10 <= b.size() && b[pos] == 0xFF && b[pos + 1] == 0x81) {
    uint16_t sum = 0;
    for (size_t i = 0; i < 10; i += 2) sum += word(pos + i);
    const size_t n = word(pos + 4);
    const size_t length = n == 0 ? 10 : 2 * n + 12;
    if (sum != 0 || pos + length > b.size()) break;
    uint16_t dataSum = 0;
    for (size_t i = 10; n > 0 && i < length; i += 2) dataSum += word(pos + i);
    if (dataSum != 0) break;
    frames.push_back({pos, word(pos + 2)});
    pos += length;
  }
  return frames;
}

bool SaneRecord(const std::string& r, uint16_t id) {
  static const std::regex timeMark(R"(#1108,[01],([01]\d|2[0-3]):[0-5]\d:[0-5]\d,)");
  static const std::regex position(
      R"(#1000,1,\d,5203\.\d{4}N,508\.\d{4}E,5\d\.\dM,47\.1M,0,2005/06/13,)");
  if (id == 1108) return std::regex_match(r, timeMark);
  if (id == 1000) return std::regex_match(r, position);
  return id == 1002 && r == "#1002,dummy,";
}

// Feeds the stream from `start` in passes of random sizes.
Records FeedRandomly(LineAssembler& assembler, const Bytes& stream, size_t start, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<size_t> passSize(1, 1024);  // as the port gives them
  Records records;
  for (size_t pos = start; pos < stream.size();) {
    const size_t end = std::min(stream.size(), pos + passSize(random));
    for (std::string& r : Feed(assembler, Bytes(stream.begin() + pos, stream.begin() + end)))
      records.push_back(std::move(r));
    pos = end;
  }
  return records;
}

class LineAssemblyCapture : public ::testing::Test {
 protected:
  void SetUp() override {
    stream_ = LoadCapture("zodiac.log");
    frames_ = WalkFrames(stream_);
    ASSERT_EQ(frames_.size(), 63u);  // 21 cycles of 1108, 1000, 1002
  }
  // The records of the frames that begin at or after `start`.
  Records RecordsFrom(size_t start, const Records& all) const {
    Records tail;
    for (size_t i = 0; i < frames_.size(); ++i)
      if (frames_[i].offset >= start) tail.push_back(all[i]);
    return tail;
  }
  Bytes stream_;
  std::vector<CaptureFrame> frames_;
};

TEST_F(LineAssemblyCapture, EveryFrameGivesItsRecordWhateverThePassSizes) {
  LineAssembler reference;
  const Records all = FeedInPieces(reference, stream_, 1);
  ASSERT_EQ(all.size(), frames_.size());
  for (size_t i = 0; i < all.size(); ++i) EXPECT_TRUE(SaneRecord(all[i], frames_[i].id)) << all[i];
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE(seed);
    LineAssembler assembler(kJupiter);
    EXPECT_EQ(FeedRandomly(assembler, stream_, 0, seed), all);
  }
}

TEST_F(LineAssemblyCapture, ResynchronisesWhenTheStreamStartsInsideAFrame) {
  LineAssembler reference;
  const Records all = FeedInPieces(reference, stream_, 1);
  std::mt19937 random(42);
  std::vector<size_t> starts;
  for (size_t start = 1; start < frames_[3].offset; ++start) starts.push_back(start);
  for (int i = 0; i < 40; ++i) starts.push_back(random() % stream_.size());
  for (size_t start : starts) {
    SCOPED_TRACE(start);
    LineAssembler assembler(kJupiter);
    EXPECT_EQ(FeedRandomly(assembler, stream_, start, static_cast<unsigned>(start)),
              RecordsFrom(start, all));
  }
}

TEST_F(LineAssemblyCapture, NoTimeMarkLineFromLeadBytesInsideJupiterFrames) {
  // Starting at byte 5 puts the first frame's 0xC0 (byte 14) ahead of the
  // next sync word. Taken as a CCA-370H lead byte it would make a bogus line.
  LineAssembler reference;
  const Records all = FeedInPieces(reference, stream_, 1);
  const Bytes fromByte5(stream_.begin() + 5, stream_.end());
  ASSERT_EQ(stream_[14], 0xC0);

  LineAssembler jupiter(kJupiter);
  EXPECT_EQ(FeedInPieces(jupiter, fromByte5, 64), RecordsFrom(5, all));

  // A receiver kind that does accept 0xC0 shows what the fault would be: the
  // first frame after byte 5 is a 1000, yet a time-mark line comes first.
  ASSERT_EQ(frames_[1].id, 1000);
  LineAssembler other(kOther);
  const Records records = FeedInPieces(other, fromByte5, 64);
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records[0].rfind("#1108,", 0), 0u);
}

}  // namespace

#include "link/jupiter_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Data words of a frame, filled in by frame byte offsets (10 and up), the way
// message fields are located.
class DataImage {
 public:
  explicit DataImage(size_t words) : bytes_(2 * words) {}
  DataImage& Put16(size_t offset, uint16_t value) {
    bytes_.at(offset - 10) = value & 0xFF;
    bytes_.at(offset - 9) = value >> 8;
    return *this;
  }
  DataImage& Put32(size_t offset, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    return Put16(offset, u & 0xFFFF).Put16(offset + 2, u >> 16);
  }
  std::vector<uint16_t> Words() const {
    std::vector<uint16_t> words(bytes_.size() / 2);
    for (size_t i = 0; i < words.size(); ++i) words[i] = bytes_[2 * i] | (bytes_[2 * i + 1] << 8);
    return words;
  }

 private:
  std::vector<uint8_t> bytes_;
};

std::string Record(const std::vector<uint8_t>& frame) {
  return JupiterRecord(frame.data(), frame.size());
}

TEST(JupiterFrame, BuilderReproducesAReceiverFrameByteForByte) {
  // The first frame of the zodiac capture: message 1108, 14 data words.
  const std::vector<uint8_t> received = {
      0xFF, 0x81, 0x54, 0x04, 0x0E, 0x00, 0x00, 0x00, 0x9F, 0x79, 0x04, 0x5C, 0x40, 0x00,
      0xC0, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xAD, 0x74,
      0x02, 0x00, 0x0D, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x40, 0x0A};
  std::vector<uint16_t> words;
  for (size_t i = 10; i + 2 < received.size(); i += 2) words.push_back(JupiterWordAt(&received[i]));
  EXPECT_EQ(BuildJupiterFrame(1108, words, 0), received);
  EXPECT_EQ(Record(received), "#1108,1,20:42:21,");
}

TEST(JupiterFrame, LayoutAndChecksumsForEveryDataLength) {
  for (uint16_t n : {0, 1, 14, 49}) {
    SCOPED_TRACE(n);
    std::vector<uint16_t> data(n);
    for (uint16_t i = 0; i < n; ++i) data[i] = static_cast<uint16_t>(0x9000 + 77 * i);
    std::vector<uint8_t> frame = BuildJupiterFrame(1234, data, 0x8000);
    ASSERT_EQ(frame.size(), JupiterFrameLength(n));
    EXPECT_EQ(frame.size(), n == 0 ? 10u : 2u * n + 12);
    EXPECT_EQ(frame[0], 0xFF);
    EXPECT_EQ(frame[1], 0x81);
    EXPECT_EQ(JupiterMessageId(frame.data()), 1234);
    EXPECT_EQ(JupiterDataWordCount(frame.data()), n);
    EXPECT_EQ(JupiterWordAt(&frame[6]), 0x8000);
    EXPECT_TRUE(JupiterHeaderValid(frame.data()));
    EXPECT_TRUE(JupiterDataValid(frame.data(), frame.size()));

    std::vector<uint8_t> badHeader = frame;
    ++badHeader[8];
    EXPECT_FALSE(JupiterHeaderValid(badHeader.data()));
    if (n > 0) {
      std::vector<uint8_t> badData = frame;
      ++badData[10];
      EXPECT_FALSE(JupiterDataValid(badData.data(), badData.size()));
    }
  }
}

TEST(JupiterFrame, RecordTexts) {
  const DataImage position = DataImage(49)
                                 .Put16(22, 7)
                                 .Put16(36, 29)
                                 .Put16(38, 2)
                                 .Put16(40, 2024)
                                 .Put32(52, 61959188)    // 35.5 degrees
                                 .Put32(56, 243473430)   // 139.5 degrees
                                 .Put32(60, 4567)
                                 .Put16(64, static_cast<uint16_t>(-3410))
                                 .Put16(76, 62);
  const DataImage southWest = DataImage(49)
                                  .Put16(22, 12)
                                  .Put16(36, 1)
                                  .Put16(38, 12)
                                  .Put16(40, 2005)
                                  .Put32(52, -58032197)   // 33.25 degrees south
                                  .Put32(56, -263762883)  // 151.125 degrees west
                                  .Put32(60, -250)
                                  .Put16(64, 1999);
  struct Case {
    const char* name;
    std::vector<uint8_t> frame;
    const char* record;
  } cases[] = {
      {"valid time mark", BuildJupiterFrame(1108, DataImage(14).Put32(26, 90061).Put16(36, 3).Words(), 0),
       "#1108,1,01:01:01,"},
      {"time mark not valid", BuildJupiterFrame(1108, DataImage(14).Put32(26, 90061).Put16(36, 1).Words(), 0),
       "#1108,0,01:01:01,"},
      {"last second of a day", BuildJupiterFrame(1108, DataImage(14).Put32(26, 6 * 86400 + 86399).Put16(36, 7).Words(), 0),
       "#1108,1,23:59:59,"},
      {"position north east", BuildJupiterFrame(1000, position.Words(), 0),
       "#1000,1,7,3530.0000N,13930.0000E,45.7M,-34.1M,62,2024/02/29,"},
      {"position south west", BuildJupiterFrame(1000, southWest.Words(), 0),
       "#1000,1,12,3315.0000S,15107.5000W,-2.5M,20.0M,0,2005/12/01,"},
      {"other message", BuildJupiterFrame(1002, std::vector<uint16_t>(45), 0), "#1002,dummy,"},
      {"other message without data", BuildJupiterFrame(1012, {}, 0), "#1012,dummy,"},
      // Fields beyond a too-short frame read as 0 instead of past its end.
      {"short position frame", BuildJupiterFrame(1000, std::vector<uint16_t>(1), 0),
       "#1000,1,0,000.0000N,000.0000E,0.0M,0.0M,0,0/00/00,"},
      {"short time mark", BuildJupiterFrame(1108, {}, 0), "#1108,0,00:00:00,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Record(c.frame), c.record);
  }
}

}  // namespace

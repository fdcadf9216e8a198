// The simulated receiver takes Quor's own command bytes apart and changes
// what it sends as the receiver would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/cca_commands.h"
#include "commands/jupiter_commands.h"
#include "link/jupiter_frame.h"
#include "receiver/command_reader.h"
#include "receiver/obedient_receiver.h"

namespace {

using sim::ReceivedCommand;

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::vector<std::string> Read(const std::vector<uint8_t>& bytes, size_t pieces) {
  sim::CommandReader reader;
  std::vector<std::string> seen;
  const size_t step = (bytes.size() + pieces - 1) / pieces;
  for (size_t at = 0; at < bytes.size(); at += step) {
    const size_t n = std::min(step, bytes.size() - at);
    for (const ReceivedCommand& c : reader.Feed(bytes.data() + at, n)) seen.push_back(Describe(c));
  }
  return seen;
}

TEST(CommandReader, TakesTextFramesAndMessagesApartHoweverTheyAreCut) {
  std::vector<uint8_t> badData = JupiterDatumMessage(300);
  badData.back() ^= 1;
  std::vector<uint8_t> badHeader = JupiterToNmeaMessage();
  badHeader[8] ^= 1;
  const std::vector<uint8_t> stream = Concat({
      Bytes("$PRWIIPRO,,RBIN\r\n"),
      JupiterDatumMessage(300),
      Bytes("$PFEC,GPsrq*5B\r\n"),      // with a good checksum
      Bytes("$PFEC,GPsrq*00\r\n"),      // and a bad one
      badData,
      Bytes("xy"),
      CcaDatumMessage(47),
      badHeader,
      Bytes("$PFEC,GPint,GGA01\n"),
  });
  const std::vector<std::string> want = {
      "$PRWIIPRO,,RBIN",
      "Jupiter 1211 data 0 300",
      "$PFEC,GPsrq",
      "refused (bad checksum): 24 50 46 45 43 2c 47 50 73 72 71 2a 30 30",
      "refused (bad data checksum): ff 81 bb 04 02 00 00 00 44 79 00 00 2c 01 d4 ff",
      "refused (no command start): 78 79",
      "CCA-370H c6 02 05 00 01 01 2f 00 00 00 00 00 00 00 00 00 00 00 00 40 da",
      "refused (bad header checksum): ff 81",
      // The rest of the broken frame up to the next start.
      "refused (no command start): 33 05 03 00 00 00 ca 78 00 00 00 00 01 00 ff ff",
      "$PFEC,GPint,GGA01",
  };
  for (size_t pieces : {size_t{1}, size_t{7}, stream.size()}) {
    SCOPED_TRACE(pieces);
    EXPECT_EQ(Read(stream, pieces), want);
  }
}

bool Contains(const std::vector<Burst>& bursts, const std::string& text) {
  for (const Burst& b : bursts) {
    if (std::string(b.bytes.begin(), b.bytes.end()).find(text) != std::string::npos) return true;
  }
  return false;
}

int Count(const std::vector<Burst>& bursts, const std::string& text) {
  int n = 0;
  for (const Burst& b : bursts) {
    const std::string s(b.bytes.begin(), b.bytes.end());
    for (size_t at = s.find(text); at != std::string::npos; at = s.find(text, at + 1)) ++n;
  }
  return n;
}

GeneratorOptions Model(ReceiverModel m) {
  GeneratorOptions o;
  o.model = m;
  return o;
}

constexpr int64_t kEdge = 1'767'000'000;

void Send(sim::ObedientReceiver& r, const std::vector<uint8_t>& bytes) {
  r.Receive(bytes.data(), bytes.size());
}
void SendText(sim::ObedientReceiver& r, const std::string& text) { Send(r, Bytes(text + "\r\n")); }

TEST(ObedientReceiver, JupiterSwitchesModesAndSentences) {
  sim::ObedientReceiver r(Model(ReceiverModel::JupiterNmea));
  EXPECT_TRUE(Contains(r.BurstsAfterEdge(kEdge), "$GPGSA"));
  SendText(r, JupiterSentenceText(ReceiverConfig::kGsa, false));
  SendText(r, JupiterSentenceText(ReceiverConfig::kGsv, true));
  auto bursts = r.BurstsAfterEdge(kEdge);
  EXPECT_FALSE(Contains(bursts, "$GPGSA"));
  EXPECT_TRUE(Contains(bursts, "$GPGSV"));
  EXPECT_TRUE(Contains(bursts, "$GPGGA"));

  SendText(r, std::string(kJupiterToBinaryText));
  bursts = r.BurstsAfterEdge(kEdge);
  EXPECT_FALSE(Contains(bursts, "$GP"));
  ASSERT_FALSE(bursts.empty());
  EXPECT_EQ(JupiterMessageId(bursts[0].bytes.data()), 1000);

  Send(r, JupiterPinningMessage(true));
  EXPECT_TRUE(r.pinning);
  Send(r, JupiterDatumMessage(178));
  EXPECT_EQ(r.pendingDatum, 178);
  Send(r, JupiterToNmeaMessage());
  bursts = r.BurstsAfterEdge(kEdge);
  EXPECT_TRUE(Contains(bursts, "$GPGGA"));
  EXPECT_FALSE(Contains(bursts, "$GPGSA"));  // the selection is kept
}

TEST(ObedientReceiver, Gt77SentencesDatumAndItsAnswer) {
  sim::ObedientReceiver r(Model(ReceiverModel::Gt77));
  SendText(r, "$PFEC,GPint,GGA00,ZDA01,VTG01,GLL01,tps00");
  auto bursts = r.BurstsAfterEdge(kEdge);
  EXPECT_FALSE(Contains(bursts, "$GPGGA"));
  for (const char* s : {"$GPRMC", "$GPZDA", "$GPVTG", "$GPGLL"}) EXPECT_TRUE(Contains(bursts, s)) << s;
  EXPECT_FALSE(Contains(bursts, "GPtps"));
  SendText(r, "$PFEC,GPint,tps01");
  EXPECT_TRUE(Contains(r.BurstsAfterEdge(kEdge), "GPtps"));

  SendText(r, "$PFEC,GPrrs,2,100,0");
  EXPECT_EQ(r.traim, 2);
  EXPECT_EQ(r.ppsControl, 0);
  SendText(r, "$PFEC,GPset,G007");
  SendText(r, "$PFEC,GPsrq");
  // The answer comes with the next second, besides the regular report.
  EXPECT_EQ(Count(r.BurstsAfterEdge(kEdge), "$PFEC,GPssd,G007,"), 2);
  EXPECT_EQ(Count(r.BurstsAfterEdge(kEdge), "$PFEC,GPssd,G007,"), 1);
}

TEST(ObedientReceiver, CcaTimeMarksFollowResetAndRequest) {
  sim::ObedientReceiver r(Model(ReceiverModel::Cca370h));
  EXPECT_EQ(r.BurstsAfterEdge(kEdge).size(), 2u);
  Send(r, CcaResetMessage());
  EXPECT_EQ(r.BurstsAfterEdge(kEdge).size(), 1u);
  Send(r, CcaTimeMarkOutputMessage());
  EXPECT_EQ(r.BurstsAfterEdge(kEdge).size(), 2u);
  Send(r, CcaDatumMessage(47));
  EXPECT_EQ(r.ccaDatum, 47);
  // A command for another kind of receiver changes nothing.
  SendText(r, std::string(kJupiterToBinaryText));
  EXPECT_EQ(r.Options().model, ReceiverModel::Cca370h);
}

}  // namespace

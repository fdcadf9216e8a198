// Command sequences run on the main loop against the fake port and timers:
// waits are timers, writes go one after the other, and a write that fails
// ends the sequence with the state as the receiver was really told.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "commands/command_runner.h"
#include "commands/gt77_commands.h"
#include "commands/jupiter_commands.h"
#include "fakes/fake_platform.h"
#include "support/command_steps.h"

namespace {

class RecordingLog : public LogSink {
 public:
  void LogLine(const std::string& text) override { lines.push_back(text); }
  void LogWithPcTime(const std::string& message) override { lines.push_back(message); }
  std::vector<std::string> lines;
};

struct Runner : ::testing::Test {
  FakePlatform fake;
  FakeSerialPort::OpenResult opened = [this] {
    std::string error;
    return fake.serial.Open(SerialLine{}, sink, error);
  }();
  struct NoEvents : SerialEventSink {
    void OnDsrChange(const EdgeCapture&) override {}
    void OnBytes(const uint8_t*, size_t, const CounterCapture*) override {}
    void OnNoModemLines() override {}
    void OnPortLost(const std::string&) override {}
  } sink;
  StatusText status;
  RecordingLog log;
  ReceiverConfig cfg;
  std::vector<std::string> events;  // hooks called, in order
  CommandTransmitter transmitter{fake.serial, status, log};
  std::unique_ptr<CommandRunner> runner = Make();

  std::unique_ptr<CommandRunner> Make() {
    CommandRunnerHooks hooks;
    hooks.lockButtons = [this](bool locked) { events.push_back(locked ? "lock" : "unlock"); };
    hooks.restartReception = [this] { events.push_back("restart"); };
    hooks.busyChanged = [this] { events.push_back(runner && runner->Busy() ? "busy" : "idle"); };
    return std::make_unique<CommandRunner>(transmitter, fake.timers, fake.boxes, status, cfg,
                                           hooks);
  }
  std::vector<std::string> Written() const {
    std::vector<std::string> w;
    for (const auto& bytes : fake.serial.written) w.push_back(ShowBytes(bytes));
    return w;
  }
};

TEST_F(Runner, WritesOneAtATimeAndWaitsOnATimer) {
  cfg.NmeaMode = false;
  ASSERT_TRUE(runner->Run(SendJupiterCommand({kJupiterToNmea}, cfg)));
  EXPECT_TRUE(runner->Busy());
  EXPECT_FALSE(runner->Run({step::WriteText("x")}));  // one sequence at a time
  EXPECT_EQ(status.text, "ＮＭＥＡモードへ切替中");
  ASSERT_EQ(fake.serial.pending.size(), 1u);
  EXPECT_EQ(fake.timers.Pending(), 0u);  // the wait starts when the write is done
  fake.serial.CompleteNext();
  EXPECT_EQ(fake.timers.Pending(), 1u);
  fake.timers.RunFor(4.999);
  EXPECT_TRUE(runner->Busy());
  EXPECT_EQ(events, (std::vector<std::string>{"busy", "lock"}));
  fake.timers.RunFor(0.001);
  EXPECT_FALSE(runner->Busy());
  EXPECT_EQ(events, (std::vector<std::string>{"busy", "lock", "restart", "unlock", "idle"}));
  EXPECT_FALSE(cfg.LearnSentences);
}

TEST_F(Runner, AFailedWriteEndsTheSequenceAndKeepsWhatTheReceiverWasTold) {
  // Receiver on Tokyo, WGS-84 and new sentences chosen: the selection goes
  // out, the TRAIM command fails. The flags follow what went out; the datum
  // was never told.
  cfg.SentenceEnabled[ReceiverConfig::kGga] = true;
  cfg.ReceiverDatumCode = 3;
  cfg.LearnSentences = true;
  Gt77Choice choice;
  choice.sentences[ReceiverConfig::kRmc] = true;
  choice.datum = 1;
  ASSERT_TRUE(runner->Run(SendGt77Command(choice, cfg)));
  fake.serial.CompleteNext();
  EXPECT_FALSE(cfg.SentenceEnabled[ReceiverConfig::kGga]);
  EXPECT_TRUE(cfg.SentenceEnabled[ReceiverConfig::kRmc]);
  fake.serial.CompleteNext(false, 5);
  EXPECT_FALSE(runner->Busy());
  EXPECT_EQ(Written(), (std::vector<std::string>{"$PFEC,GPint,GGA00,RMC01\\r\\n",
                                                 "$PFEC,GPrrs,0,100,1\\r\\n"}));
  EXPECT_EQ(cfg.ReceiverDatumCode, 3);
  EXPECT_EQ(status.text, "コマンドを送信できませんでした!! [CE-5]");
  EXPECT_EQ(log.lines, (std::vector<std::string>{"コマンドを送信できませんでした [CE-5]"}));

  // The mode switch fails at its first write: no wait, no restart, the
  // buttons come back, and learning goes on.
  events.clear();
  cfg.LearnSentences = true;
  ASSERT_TRUE(runner->Run(SendJupiterCommand({kJupiterToBinary}, cfg)));
  fake.serial.CompleteNext(false, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"busy", "lock", "unlock", "idle"}));
  EXPECT_EQ(fake.timers.Pending(), 0u);
  EXPECT_TRUE(cfg.LearnSentences);
  EXPECT_TRUE(cfg.NmeaMode);
  EXPECT_EQ(status.text, "コマンドを送信できませんでした!!");  // no error code to show
}

TEST_F(Runner, WithoutAnOpenPortTheWriteFailsAtOnce) {
  fake.serial.Close();
  cfg.ReceiverDatumCode = 0;
  Gt77Choice choice;
  choice.sentences[ReceiverConfig::kGga] = true;
  ASSERT_TRUE(runner->Run(SendGt77Command(choice, cfg)));
  EXPECT_FALSE(runner->Busy());
  EXPECT_TRUE(fake.serial.written.empty());
  EXPECT_FALSE(cfg.SentenceEnabled[ReceiverConfig::kGga]);
  EXPECT_EQ(status.text, "コマンドを送信できませんでした!!");
}

TEST_F(Runner, DestroyingTheRunnerDropsTheRest) {
  ASSERT_TRUE(runner->Run(SendJupiterCommand({kJupiterPinningOn}, cfg)));
  fake.serial.CompleteNext();
  ASSERT_EQ(fake.timers.Pending(), 1u);
  runner.reset();
  EXPECT_EQ(fake.timers.Pending(), 0u);
  fake.timers.RunFor(20);
  EXPECT_EQ(fake.serial.written.size(), 1u);

  // A write outcome that comes after the runner went reaches nobody.
  runner = Make();
  ASSERT_TRUE(runner->Run(SendJupiterCommand({kJupiterPinningOn}, cfg)));
  runner.reset();
  EXPECT_TRUE(fake.serial.CompleteNext());
  EXPECT_EQ(fake.serial.written.size(), 2u);
}

}  // namespace

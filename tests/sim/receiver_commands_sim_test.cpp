// Receiver commands through the whole program in virtual time: the tick, the
// display and the reception go on while a command waits, a failed write
// stops it, and a disconnect drops what is left of it.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/connection.h"
#include "app/receiver_commands.h"
#include "sim/sim_world.h"
#include "support/command_steps.h"

namespace {

SimOptions Model(ReceiverModel model) {
  SimOptions o;
  o.model = model;
  return o;
}

// Connects and runs until the command button is usable.
void ConnectUntilCommandsUsable(SimWorld& w) {
  w.Connect();
  ASSERT_TRUE(w.RunUntil([&] { return w.app.Controls().ButtonSendCommEnabled; }, 30));
}

TEST(ReceiverCommandsSim, JupiterDatumInNmeaModeSwitchesAroundItWhileTheTickRuns) {
  SimWorld w(Model(ReceiverModel::JupiterNmea));
  ConnectUntilCommandsUsable(w);
  w.RunFor(3);
  const MainView& v = w.app.view;
  const bool syncBefore = w.app.Controls().ButtonSyncPCEnabled;
  const double start = w.Now();
  ASSERT_TRUE(RunJupiterCommand(w.app, JupiterChoice{kJupiterDatumOther, 300}));
  EXPECT_FALSE(w.app.Controls().ButtonSendCommEnabled);
  EXPECT_FALSE(w.app.Controls().ButtonSyncPCEnabled);
  EXPECT_FALSE(w.app.Controls().ButtonTestDlgEnabled);

  // The seconds go on being shown during both 5 s waits; each step's status
  // text stands until the next one's.
  std::set<std::string> shown;
  std::string status = v.StatusBar;
  double statusSince = w.Now();
  std::vector<std::pair<std::string, double>> statusShown;  // text, seconds on show
  w.afterEvent = [&] {
    shown.insert(v.EditJst);
    if (v.StatusBar == status) return;
    statusShown.emplace_back(status, w.Now() - statusSince);
    status = v.StatusBar;
    statusSince = w.Now();
  };
  ASSERT_TRUE(w.RunUntil([&] { return !w.fake.boxes.shown.empty(); }, 15));
  EXPECT_GE(shown.size(), 9u);
  double datumShown = 0;
  for (const auto& [text, seconds] : statusShown) {
    if (text == "測地系(300)に設定中") datumShown = seconds;
  }
  EXPECT_GE(datumShown, 0.9);

  ASSERT_EQ(w.writes.size(), 3u);
  EXPECT_EQ(ShowBytes(w.writes[0].bytes), "$PRWIIPRO,,RBIN\\r\\n");
  EXPECT_EQ(ShowBytes(w.writes[1].bytes), "ff 81 bb 04 02 00 00 00 44 79 00 00 2c 01 d4 fe");
  EXPECT_EQ(ShowBytes(w.writes[2].bytes), ShowBytes(JupiterToNmeaMessage()));
  EXPECT_NEAR(w.writes[0].queued, start, 1e-9);
  EXPECT_NEAR(w.writes[1].queued - w.writes[0].done, 5.0, 0.01);
  EXPECT_NEAR(w.writes[2].queued - w.writes[1].done, 1.0, 0.01);
  EXPECT_NEAR(w.Now() - w.writes[2].done, 5.0, 0.01);
  EXPECT_EQ(w.fake.boxes.shown.back(), "次の電源オンから有効になります");
  EXPECT_TRUE(w.app.Controls().ButtonSendCommEnabled);
  EXPECT_EQ(w.app.Controls().ButtonSyncPCEnabled, syncBefore);
  EXPECT_TRUE(w.app.Controls().ButtonTestDlgEnabled);
  EXPECT_FALSE(w.app.Receiver()->cfg.LearnSentences);
}

TEST(ReceiverCommandsSim, AFailedWriteStopsTheCommandAndIsTold) {
  SimWorld w(Model(ReceiverModel::JupiterNmea));
  ConnectUntilCommandsUsable(w);
  w.RunFor(2);
  w.failWrites = 5;
  ASSERT_TRUE(RunJupiterCommand(w.app, JupiterChoice{kJupiterToBinary}));
  w.RunFor(12);
  EXPECT_EQ(w.writes.size(), 1u);
  EXPECT_EQ(w.CountLog("コマンドを送信できませんでした [CE-5]"), 1);
  // No reception restart: the tick did not go back to waiting for data.
  EXPECT_FALSE(w.app.Receiver()->time.timing.DataWait.Running());
  EXPECT_TRUE(w.app.Receiver()->cfg.LearnSentences);
  EXPECT_TRUE(w.app.Controls().ButtonSendCommEnabled);
  EXPECT_TRUE(w.app.Controls().ButtonTestDlgEnabled);
}

TEST(ReceiverCommandsSim, DisconnectingInTheMiddleDropsTheRest) {
  SimWorld w(Model(ReceiverModel::JupiterNmea));
  ConnectUntilCommandsUsable(w);
  ASSERT_TRUE(RunJupiterCommand(w.app, JupiterChoice{kJupiterPinningOn}));
  w.RunFor(2);
  ASSERT_EQ(w.writes.size(), 1u);
  ButtonConnectClick(w.app);
  w.RunFor(15);
  EXPECT_EQ(w.writes.size(), 1u);
  EXPECT_EQ(w.fake.timers.Pending(), 0u);
  EXPECT_FALSE(w.app.Controls().ButtonSendCommEnabled);
  EXPECT_TRUE(w.app.Controls().ButtonSyncPCEnabled);
  EXPECT_FALSE(w.app.Controls().ButtonTestDlgEnabled);
}

TEST(ReceiverCommandsSim, ASwitchToBinaryWaitsForTheFirstFixAgain) {
  SimWorld w(Model(ReceiverModel::JupiterNmea));
  ConnectUntilCommandsUsable(w);
  ASSERT_TRUE(RunJupiterCommand(w.app, JupiterChoice{kJupiterToBinary}));
  const SecondTiming& timing = w.app.Receiver()->time.timing;
  ASSERT_TRUE(w.RunUntil([&] { return timing.DataWait.Running(); }, 10));
  EXPECT_FALSE(w.app.Receiver()->cfg.LearnSentences);
  // The mode is not known again until data come: the button waits for them.
  EXPECT_FALSE(w.app.Controls().ButtonSendCommEnabled);
  EXPECT_TRUE(w.app.Controls().ButtonTestDlgEnabled);
  // The first usable data after the switch run the start-up again.
  ASSERT_TRUE(w.RunUntil([&] { return !timing.DataWait.Running(); }, 10));
  EXPECT_EQ(w.app.view.StatusBar, "通信の準備中");
  EXPECT_TRUE(w.app.Receiver()->cfg.LearnSentences);
  EXPECT_TRUE(w.app.Controls().ButtonSendCommEnabled);
  EXPECT_EQ(w.writes.size(), 1u);  // a Jupiter is sent nothing at the first fix
}

TEST(ReceiverCommandsSim, StartupCommandsAtTheFirstFixByKind) {
  const struct {
    ReceiverModel model;
    std::vector<std::string> writes;
    bool commandButton;
  } cases[] = {
      {ReceiverModel::JupiterNmea, {}, true},
      {ReceiverModel::Gt77, {"$PFEC,GPint,tps01\\r\\n", "$PFEC,GPsrq\\r\\n"}, true},
      {ReceiverModel::Cca370h, {ShowBytes(CcaTimeMarkOutputMessage())}, true},
      {ReceiverModel::Garmin, {}, false},
      {ReceiverModel::MultiGnss, {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.model));
    SimWorld w(Model(c.model));
    w.Connect();
    bool buttonDuringStartup = false;
    w.afterEvent = [&] {
      if (w.writes.size() == 1 && w.app.Receiver() && w.app.Receiver()->commands.Busy()) {
        buttonDuringStartup = buttonDuringStartup || w.app.Controls().ButtonSendCommEnabled;
      }
    };
    ASSERT_TRUE(w.RunUntil([&] { return !w.app.Receiver()->time.timing.DataWait.Running(); }, 30));
    w.RunFor(3);
    std::vector<std::string> written;
    for (const auto& sent : w.writes) written.push_back(ShowBytes(sent.bytes));
    EXPECT_EQ(written, c.writes);
    EXPECT_EQ(w.app.Controls().ButtonSendCommEnabled, c.commandButton);
    EXPECT_FALSE(buttonDuringStartup);
    if (c.model == ReceiverModel::Gt77) {
      EXPECT_NEAR(w.writes[1].queued - w.writes[0].done, 1.0, 0.01);
    }
    if (c.model == ReceiverModel::Cca370h) {
      EXPECT_EQ(w.CountLog("コマンドを送信できませんでした"), 0);
    }
  }
}

}  // namespace

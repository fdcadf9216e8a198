// The test dialog's list rules and handlers on a receiver connection over
// the fakes, without a window.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "app/test_dialog_actions.h"
#include "app/tick.h"
#include "commands/test_dialog_handlers.h"
#include "fakes/fake_platform.h"
#include "net/ntp_packet.h"
#include "timekeeping/sentence_dispatcher.h"

namespace {

using namespace etccomm;

// A sentence that gives no fix: a fix would start the connection's time
// keeping, which closes the list until the dialog is shown again.
constexpr char kGsv[] = "$GPGSV,1,1,00*79\r\n";

struct TestDialog : ::testing::Test {
  FakePlatform fake;
  App app{fake.platform};
  TestDialogModel* dlg = nullptr;  // the connection's

  void SetUp() override {
    FormCreate(app);
    FormShow(app);
    app.settings.Receiver = 1;  // GT-77
    app.settings.ServerIpAddr = "192.168.1.20";
    ButtonConnectClick(app);
    ASSERT_TRUE((app.Receiver() != nullptr));
    dlg = app.TestDialog();
  }
  // Bytes from the receiver, handed on by the next tick.
  void Receive(const std::string& text) {
    fake.serial.sink->OnBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    TickProc(app);
  }
  // "ﾃｽﾄ..." and the dialog's first showing.
  void Open() {
    ASSERT_TRUE(TestDialogOpening(*dlg));
    FormShow(*dlg);
  }
  void Close() {
    FormClose(*dlg);
    TestDialogClosed(*dlg);
  }
  std::vector<std::string> Rows() const { return {dlg->ListBoxMesg.begin(), dlg->ListBoxMesg.end()}; }
};

TEST_F(TestDialog, ListKeepsTheLatestSixteenRows) {
  Open();
  ButtonPauseClick(*dlg);
  for (int i = 1; i <= 20; ++i) Receive("$GPTXT," + std::to_string(i) + "\r\n");
  ASSERT_EQ(dlg->ListBoxMesg.size(), TestDialogModel::kMaxRows);
  EXPECT_EQ(dlg->ListBoxMesg.front(), "$GPTXT,5\r\n");
  EXPECT_EQ(dlg->ListBoxMesg.back(), "$GPTXT,20\r\n");
}

TEST_F(TestDialog, SwitchingTheModeKeepsTheRowsAndNewRowsFollowIt) {
  Open();
  ButtonPauseClick(*dlg);
  Receive(kGsv);
  RadioGroupModeClick(*dlg, 1);
  Receive(kGsv);
  EXPECT_EQ(Rows(), std::vector<std::string>{kGsv});
  ProcessReceivedText(app.Receiver()->time, "=PPS,,");
  ASSERT_EQ(dlg->ListBoxMesg.size(), 2u);
  EXPECT_EQ(dlg->ListBoxMesg[0], kGsv);
  EXPECT_NE(dlg->ListBoxMesg[1].find("  dCnt : "), std::string::npos) << dlg->ListBoxMesg[1];
  EXPECT_EQ(dlg->ListBoxMesg[1].find("(Avr."), std::string::npos);
}

// Each showing starts with the display off; closing copies the log box.
TEST_F(TestDialog, ReopeningStartsWithTheDisplayOff) {
  Open();
  EXPECT_EQ(dlg->ButtonPauseCaption, "表示開始");
  Receive(kGsv);
  EXPECT_TRUE(dlg->ListBoxMesg.empty());
  ButtonPauseClick(*dlg);
  EXPECT_EQ(dlg->ButtonPauseCaption, "表示停止");
  Receive(kGsv);
  EXPECT_EQ(dlg->ListBoxMesg.size(), 1u);
  dlg->CheckBoxToLogFile = true;
  EXPECT_FALSE(dlg->SentencesToLog);
  Close();
  EXPECT_FALSE(dlg->TestDialogShown);
  EXPECT_TRUE(dlg->SentencesToLog);
  Receive(kGsv);
  EXPECT_EQ(app.log.MemoLog().back(), std::string(kGsv, sizeof kGsv - 3));
  EXPECT_EQ(dlg->ListBoxMesg.size(), 1u);

  Open();
  EXPECT_EQ(dlg->ButtonPauseCaption, "表示開始");
  EXPECT_FALSE(dlg->DisplayOn);
  Receive(kGsv);
  EXPECT_EQ(dlg->ListBoxMesg.size(), 1u);  // the rows of the last showing stay
  ButtonPauseClick(*dlg);
  Receive(kGsv);
  EXPECT_EQ(dlg->ListBoxMesg.size(), 2u);

  // A new connection starts the dialog afresh; without one there is none.
  ButtonConnectClick(app);
  EXPECT_EQ(app.TestDialog(), nullptr);
  ButtonConnectClick(app);
  dlg = app.TestDialog();
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(dlg->Exists);
  EXPECT_TRUE(dlg->ListBoxMesg.empty());
  EXPECT_FALSE(dlg->SentencesToLog);
  EXPECT_TRUE(dlg->CheckBoxCrLf);
}

TEST_F(TestDialog, LogOutWritesEveryRowOnceAndNothingWhenEmpty) {
  Open();
  const unsigned long before = app.log.Revision();
  ButtonLogOutClick(*dlg, app);
  EXPECT_EQ(dlg->StatusBar, "書き出す情報がありません");
  EXPECT_EQ(app.log.Revision(), before);

  dlg->AddRow(kGsv);
  dlg->AddRow("12:00:00  dCnt : 10000000");
  ButtonLogOutClick(*dlg, app);
  EXPECT_EQ(dlg->StatusBar, "ログに書き出しました");
  EXPECT_TRUE(dlg->ListBoxMesg.empty());
  ASSERT_EQ(app.log.Revision(), before + 2);
  const auto& memo = app.log.MemoLog();
  EXPECT_EQ(memo[memo.size() - 2], std::string(kGsv, sizeof kGsv - 3));  // without "\r\n"
  EXPECT_EQ(memo.back(), "12:00:00  dCnt : 10000000");
}

TEST_F(TestDialog, SendCommandWritesTheTextAndTellsTheOutcome) {
  const struct {
    const char* text;
    bool crLf;
    bool binary;  // a "#" line came last
    SendCommOutcome outcome;
    const char* written;  // nullptr: nothing
    const char* status;   // after the write has ended
  } cases[] = {
      {"", true, false, SendCommOutcome::kEmpty, nullptr, "コマンドを入力して下さい"},
      {"$PFEC,GPsrq", true, false, SendCommOutcome::kSent, "$PFEC,GPsrq\r\n", "コマンドを送信しました"},
      {"$PFEC,GPsrq", false, false, SendCommOutcome::kSent, "$PFEC,GPsrq", "コマンドを送信しました"},
      {"$PFEC,GPsrq", true, true, SendCommOutcome::kBinary, nullptr, "バイナリ通信中です"},
  };
  Open();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + (c.crLf ? " crlf" : "") + (c.binary ? " binary" : ""));
    // Binary frames reach the dispatcher as "#" lines.
    ProcessReceivedText(app.Receiver()->time, c.binary ? "#1108,0,00:00:05," : kGsv);
    EXPECT_EQ(app.Receiver()->cfg.NmeaMode, !c.binary);
    fake.serial.written.clear();
    EditCommandChange(*dlg, c.text);
    dlg->CheckBoxCrLf = c.crLf;
    EXPECT_EQ(ButtonSendCommClick(app), c.outcome);
    fake.serial.CompleteAll();
    if (c.written) {
      const std::vector<uint8_t> bytes(c.written, c.written + strlen(c.written));
      EXPECT_EQ(fake.serial.written, std::vector<std::vector<uint8_t>>{bytes});
    } else {
      EXPECT_TRUE(fake.serial.written.empty());
    }
    EXPECT_EQ(dlg->StatusBar, c.status);
  }

  // A write that fails is not told as sent.
  Receive(kGsv);
  ASSERT_EQ(ButtonSendCommClick(app), SendCommOutcome::kSent);
  fake.serial.CompleteNext(false, 4);
  EXPECT_EQ(dlg->StatusBar, "コマンドを送信できませんでした!!");
}

TEST_F(TestDialog, EditCommandHoldsAtMost256Characters) {
  EditCommandChange(*dlg, std::string(300, 'A'));
  EXPECT_EQ(dlg->EditCommand, std::string(256, 'A'));
  std::string wide;
  for (int i = 0; i < 300; ++i) wide += "ｱ";  // three bytes each
  EditCommandChange(*dlg, wide);
  EXPECT_EQ(dlg->EditCommand, wide.substr(0, 256 * 3));
}

TEST_F(TestDialog, SyncWithServerSendsOneRequestOnlyWhileTheClientBoxIsTicked) {
  Open();
  EXPECT_FALSE(dlg->ButtonSyncServEnabled);
  ButtonSyncServClick(app);
  EXPECT_TRUE(fake.udp.sent.empty());

  CheckBoxAutoSyncClick(*dlg, true);
  EXPECT_TRUE(dlg->ButtonSyncServEnabled);
  ButtonSyncServClick(app);
  ASSERT_EQ(fake.udp.sent.size(), 1u);
  const FakeUdpEndpoint::Sent& s = fake.udp.sent[0];
  EXPECT_EQ(s.host, "192.168.1.20");
  EXPECT_EQ(s.port, 123);
  EXPECT_EQ(s.tag, kSendByButton);
  ASSERT_EQ(s.bytes.size(), 48u);
  EXPECT_EQ(s.bytes[0] & 0x07, NtpPacket::kModeClient);

  // The box survives a closing; the next showing enables the button by it.
  Close();
  Open();
  EXPECT_TRUE(dlg->ButtonSyncServEnabled);
  CheckBoxAutoSyncClick(*dlg, false);
  EXPECT_FALSE(dlg->ButtonSyncServEnabled);
}

TEST_F(TestDialog, SyncWithServerWithNoServerSetSaysSoAndSendsNothing) {
  app.settings.ServerIpAddr.clear();
  Open();
  CheckBoxAutoSyncClick(*dlg, true);
  ButtonSyncServClick(app);
  EXPECT_TRUE(fake.udp.sent.empty());
  EXPECT_EQ(fake.boxes.shown, std::vector<std::string>{"接続先のアドレスを指定して下さい!!"});
}

TEST_F(TestDialog, ChecksumLabelCountsDroppedSentences) {
  EXPECT_EQ(LabelChecksumText(app), "ﾁｪｯｸｻﾑ異常: 0");
  Receive("$GPGGA,120000,3540.5000,N,13945.2500,E,1,08,1.0,40.0,M,39.0,M,,*00\r\n");
  EXPECT_EQ(LabelChecksumText(app), "ﾁｪｯｸｻﾑ異常: 1");
}

}  // namespace

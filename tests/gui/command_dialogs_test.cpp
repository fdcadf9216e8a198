// The command dialogs: their controls and rules, their input faults on their
// own status bar, and "ｺﾏﾝﾄﾞ..." opening the one of the receiver kind and
// sending what it chose.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/app.h"
#include "app/connection.h"
#include "app/receiver_commands.h"
#include "fakes/fake_platform.h"
#include "support/command_steps.h"
#include "ui/tformccacomm.h"
#include "ui/tformgt77comm.h"
#include "ui/tformsendcomm.h"
#include "ui/tmainform.h"
#include "support/widget_find.h"

namespace {

std::string Status(QWidget& dialog) {
  return Find<QStatusBar>(dialog, "StatusBar")->currentMessage().toStdString();
}

void Click(QWidget& dialog, const char* name) {
  QTest::mouseClick(Find<QAbstractButton>(dialog, name), Qt::LeftButton);
}

void Type(QWidget& dialog, const char* name, const char* text) {
  auto* edit = Find<QLineEdit>(dialog, name);
  edit->clear();
  QTest::keyClicks(edit, QString::fromUtf8(text));
}

TEST(JupiterDialog, HintsEnablesAndInputFaults) {
  ReceiverConfig cfg;
  cfg.SentenceEnabled[ReceiverConfig::kGga] = true;
  cfg.SentenceEnabled[ReceiverConfig::kGsv] = true;
  TFormSendComm form(cfg, 0);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(form.windowTitle().toStdString(), "Quor - ジュピターコマンド");
  EXPECT_EQ(Status(form), "約６秒かかります");
  EXPECT_TRUE(Find<QCheckBox>(form, "CheckBoxGGA")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(form, "CheckBoxRMC")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>(form, "CheckBoxGSV")->isChecked());
  EXPECT_EQ(Find<QLineEdit>(form, "EditMapDatum")->maxLength(), 3);
  EXPECT_TRUE(Find<QPushButton>(form, "ButtonSend")->isDefault());

  Click(form, "RadioGroupCommandItem3");
  EXPECT_EQ(Status(form), "約12秒かかります");
  EXPECT_FALSE(Find<QLineEdit>(form, "EditMapDatum")->isEnabled());
  Click(form, "RadioGroupCommandItem7");
  EXPECT_TRUE(Find<QGroupBox>(form, "GroupBoxNmea")->isEnabled());
  Click(form, "CheckBoxGGA");  // the base sentence would go off
  Click(form, "ButtonSend");
  EXPECT_EQ(Status(form), "基準センテンスなし");
  EXPECT_TRUE(form.isVisible());

  Click(form, "RadioGroupCommandItem6");
  EXPECT_EQ(Status(form), "次の電源オンから有効");
  EXPECT_FALSE(Find<QGroupBox>(form, "GroupBoxNmea")->isEnabled());
  Click(form, "ButtonSend");
  EXPECT_EQ(Status(form), "測地系ｺｰﾄﾞを入力して下さい");
  EXPECT_TRUE(Find<QLineEdit>(form, "EditMapDatum")->hasFocus());
  Type(form, "EditMapDatum", "299");
  Click(form, "ButtonSend");
  EXPECT_EQ(Status(form), "測地系ｺｰﾄﾞが正しくありません");
  Type(form, "EditMapDatum", "300");
  Click(form, "ButtonSend");
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(form.Choice().item, kJupiterDatumOther);
  EXPECT_EQ(form.Choice().datum, 300);
}

TEST(JupiterDialog, InBinaryModeTheSentenceSelectionIsRefused) {
  ReceiverConfig cfg;
  cfg.NmeaMode = false;
  TFormSendComm form(cfg, 1);
  form.show();
  Click(form, "RadioGroupCommandItem7");
  EXPECT_EQ(Status(form), "");
  EXPECT_FALSE(Find<QGroupBox>(form, "GroupBoxNmea")->isEnabled());
  Click(form, "ButtonSend");
  EXPECT_EQ(Status(form), "バイナリ通信中");
  Click(form, "ButtonCancel");
  EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST(Gt77Dialog, PresetFromTheReceiverAndChecked) {
  ReceiverConfig cfg;
  cfg.SentenceEnabled[ReceiverConfig::kRmc] = true;
  cfg.SentenceEnabled[ReceiverConfig::kZda] = true;
  TFormGT77Comm form(cfg, 1);
  form.show();
  EXPECT_EQ(form.windowTitle().toStdString(), "Quor - GT-77コマンド");
  EXPECT_TRUE(Find<QCheckBox>(form, "CheckBoxRMC")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>(form, "CheckBoxZDA")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(form, "CheckBoxGGA")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>(form, "CheckBoxtps")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(form, "CheckBoxtps")->isEnabled());
  EXPECT_FALSE(Find<QCheckBox>(form, "CheckBoxPpsRvs")->isVisible());
  EXPECT_TRUE(Find<QRadioButton>(form, "RadioGroupTraimSwItem0")->isChecked());
  EXPECT_TRUE(Find<QRadioButton>(form, "RadioGroupPpsCntlItem1")->isChecked());
  EXPECT_TRUE(Find<QRadioButton>(form, "RadioGroupMapDatumItem0")->isChecked());

  Click(form, "CheckBoxRMC");
  Click(form, "ButtonSend");
  EXPECT_EQ(Status(form), "基準センテンスなし");
  Click(form, "CheckBoxRMC");
  Click(form, "RadioGroupMapDatumItem2");
  Type(form, "EditMapDatum", "172");
  Click(form, "ButtonSend");
  EXPECT_EQ(Status(form), "測地系ｺｰﾄﾞが正しくありません");
  Type(form, "EditMapDatum", "7");
  Click(form, "RadioGroupPpsCntlItem3");
  Click(form, "ButtonSend");
  ASSERT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(form.Choice().datum, 7);
  EXPECT_EQ(form.Choice().ppsControl, 3);
}

TEST(CcaDialog, OnlyTheOtherDatumReadsTheBox) {
  TFormCcaComm form;
  form.show();
  EXPECT_EQ(form.windowTitle().toStdString(), "Quor - CCA-370Hコマンド");
  EXPECT_EQ(Find<QLineEdit>(form, "EditMapDatum")->maxLength(), 2);
  Type(form, "EditMapDatum", "99");
  Click(form, "RadioGroupCommandItem4");
  Click(form, "ButtonSend");
  EXPECT_EQ(Status(form), "測地系ｺｰﾄﾞが正しくありません");
  Type(form, "EditMapDatum", "47");
  Click(form, "ButtonSend");
  ASSERT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(form.Choice().item, kCcaDatumOther);
  EXPECT_EQ(form.Choice().datum, 47);
}

// The main window over the fakes, connected, past the first usable data.
struct CommandButton : ::testing::Test {
  FakePlatform fake;
  App app{fake.platform};
  TMainForm form{app};

  void Connect(int receiver) {
    app.settings.Receiver = receiver;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ButtonConnectClick(app);
    app.Receiver()->time.timing.DataWait.Stop();
    app.Receiver()->CommandsAvailable = true;
    form.Refresh();
  }
  // Clicks "ｺﾏﾝﾄﾞ..." and hands the dialog that opens to `use`.
  std::string ClickAndUse(const std::function<void(QDialog&)>& use) {
    std::string opened;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      opened = dialog->objectName().toStdString();
      use(*dialog);
    });
    QTest::mouseClick(form.findChild<QPushButton*>("ButtonSendComm"), Qt::LeftButton);
    return opened;
  }
};

TEST_F(CommandButton, Gt77DialogSendsItsSelectionAfterClosing) {
  Connect(kGt77);
  const std::string opened = ClickAndUse([](QDialog& d) {
    Click(d, "CheckBoxGGA");
    Click(d, "CheckBoxVTG");
    Click(d, "ButtonSend");
  });
  EXPECT_EQ(opened, "TFormGT77Comm");
  ASSERT_EQ(fake.serial.written.size(), 1u);
  EXPECT_EQ(ShowBytes(fake.serial.written[0]), "$PFEC,GPint,GGA01,VTG01\\r\\n");
  // One write at a time: the next command waits for this one's outcome, and
  // the button stays off until the last one is out.
  EXPECT_FALSE(form.findChild<QPushButton*>("ButtonSendComm")->isEnabled());
  fake.serial.CompleteAll();
  form.Refresh();
  EXPECT_EQ(fake.serial.written.size(), 4u);
  EXPECT_TRUE(form.findChild<QPushButton*>("ButtonSendComm")->isEnabled());
  EXPECT_FALSE(app.Receiver()->cfg.LearnSentences);
}

TEST_F(CommandButton, EachKindOpensItsDialogAndCancelSendsNothing) {
  const struct {
    int receiver;
    const char* dialog;
  } cases[] = {{kJupiter, "TFormSendComm"}, {kCca370h, "TFormCcaComm"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dialog);
    if (app.Receiver()) ButtonConnectClick(app);
    Connect(c.receiver);
    EXPECT_EQ(ClickAndUse([](QDialog& d) { Click(d, "ButtonCancel"); }), c.dialog);
    EXPECT_TRUE(fake.serial.written.empty());
  }
}

}  // namespace

// Text from the receiver or the LAN is shown as it came: markup in it is
// never drawn as headings, links or pictures.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <functional>
#include <memory>

#include "app/app.h"
#include "app/connection.h"
#include "app/event_log.h"
#include "app/startup.h"
#include "fakes/fake_platform.h"
#include "support/widget_find.h"
#include "ui/tformccacomm.h"
#include "ui/tformetccomm.h"
#include "ui/tformgt77comm.h"
#include "ui/tformlog.h"
#include "ui/tformsendcomm.h"
#include "ui/tformsetparm.h"
#include "ui/tmainform.h"
#include "ui/trs232setup.h"

namespace {

constexpr char kForged[] = "<h1><u>FORGED-DATUM</u></h1><img src=x>";

TEST(ReceivedText, MainWindowShowsItLiterally) {
  FakePlatform fake;
  App app{fake.platform};
  TMainForm form{app};
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  const struct {
    std::string MainView::*field;
    const char* name;
  } labels[] = {
      {&MainView::LabelMapDatum, "LabelMapDatum"},
      {&MainView::LabelJst, "LabelJst"},
      {&MainView::LabelPpsCtr, "LabelPpsCtr"},
  };
  for (const auto& l : labels) {
    app.view.*l.field = kForged;
    form.Refresh();
    auto* label = Find<QLabel>(form, l.name);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << l.name;
    EXPECT_EQ(label->text().toStdString(), kForged) << l.name;
    // One line of the label's font high, where a heading would be far taller.
    EXPECT_LT(label->sizeHint().height(), 2 * label->fontMetrics().height()) << l.name;
  }

  app.view.StatusBar = kForged;
  form.Refresh();
  EXPECT_EQ(Find<QStatusBar>(form, "StatusBar")->currentMessage().toStdString(), kForged);
}

TEST(ReceivedText, TestDialogAndLogWindowShowItLiterally) {
  FakePlatform fake;
  App app{fake.platform};
  FormCreate(app);
  FormShow(app);
  ButtonConnectClick(app);
  ASSERT_NE(app.TestDialog(), nullptr);
  TFormEtcComm dialog{app};
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  app.TestDialog()->StatusBar = kForged;
  app.TestDialog()->AddRow(std::string(kForged) + "\r\n");
  dialog.Refresh();
  EXPECT_EQ(Find<QStatusBar>(dialog, "StatusBar")->currentMessage().toStdString(), kForged);
  auto* list = Find<QListWidget>(dialog, "ListBoxMesg");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(list->item(0)->text().toStdString(), kForged);

  FakeLogFile file;
  EventLog log{file};
  TFormLog window{log};
  log.LogLine(std::string(kForged) + "\r\n", false);
  window.Refresh();
  auto* memo = Find<QPlainTextEdit>(window, "MemoLog");
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->toPlainText().toStdString(), kForged);
}

// Every label of every window is plain text, so a text that reaches one
// later, from wherever, cannot turn into markup.
TEST(ReceivedText, EveryLabelOfEveryWindowIsPlainText) {
  FakePlatform fake;
  App app{fake.platform};
  ReceiverConfig cfg;
  SerialParams serial;
  const struct {
    const char* name;
    std::function<std::unique_ptr<QWidget>()> make;
  } windows[] = {
      {"TMainForm", [&] { return std::make_unique<TMainForm>(app); }},
      {"TFormEtcComm", [&] { return std::make_unique<TFormEtcComm>(app); }},
      {"TFormSetParm", [&] { return std::make_unique<TFormSetParm>(app); }},
      {"TRs232Setup", [&] { return std::make_unique<TRs232Setup>(serial); }},
      {"TFormSendComm", [&] { return std::make_unique<TFormSendComm>(cfg, 0); }},
      {"TFormGT77Comm", [&] { return std::make_unique<TFormGT77Comm>(cfg, 0); }},
      {"TFormCcaComm", [] { return std::make_unique<TFormCcaComm>(); }},
  };
  for (const auto& w : windows) {
    const std::unique_ptr<QWidget> window = w.make();
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    EXPECT_FALSE(labels.isEmpty()) << w.name;
    for (const QLabel* label : labels) {
      EXPECT_EQ(label->textFormat(), Qt::PlainText)
          << w.name << " \"" << label->text().toStdString() << "\"";
    }
  }
}

}  // namespace

// The main window's read-only fields show their widest real texts whole.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>

#include "app/app.h"
#include "fakes/fake_platform.h"
#include "ui/tmainform.h"

namespace {

// Pixels a line edit has for its text: the style's contents rectangle less
// the text margins and the edit's own 2 pixels a side.
int TextRoom(const QLineEdit& e) {
  QStyleOptionFrame opt;
  opt.initFrom(&e);
  opt.lineWidth = e.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, &e);
  const QRect r = e.style()->subElementRect(QStyle::SE_LineEditContents, &opt, &e)
                      .marginsRemoved(e.textMargins());
  return r.width() - 2 * 2;
}

TEST(MainFormFields, WidestTextsFitWhole) {
  FakePlatform fake;
  App app{fake.platform};
  TMainForm form{app};
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  const struct {
    std::string MainView::*field;
    const char* name;
    const char* text;
  } cases[] = {
      {&MainView::EditJst, "EditJst", "23:59:59"},
      {&MainView::EditUtc, "EditUtc", "23:59:59"},
      {&MainView::EditPcErr, "EditPcErr", "+8640000"},
      {&MainView::EditPcErr, "EditPcErr", "-8640000"},
      {&MainView::EditdSS, "EditdSS", "+100"},
      {&MainView::EditStatus, "EditStatus", "1"},
      {&MainView::EditLong, "EditLong", "179ﾟ59'59.9\"W"},
      {&MainView::EditLat, "EditLat", " 89ﾟ59'59.9\"S"},
      {&MainView::EditAntena, "EditAntena", "-1234.5M"},
      {&MainView::EditGeoid, "EditGeoid", "-123.4M"},
      {&MainView::EditNumSat, "EditNumSat", "12"},
      {&MainView::EditNumMsg, "EditNumMsg", "120"},
  };
  for (const auto& c : cases) {
    app.view.*c.field = c.text;
    form.Refresh();
    auto* edit = form.findChild<QLineEdit*>(c.name);
    ASSERT_NE(edit, nullptr) << c.name;
    EXPECT_EQ(edit->text().toStdString(), c.text);
    const QFontMetrics fm(edit->font());
    // The caret's pixel and the font's overhangs take room too.
    const int needed = fm.horizontalAdvance(edit->text()) + 1 +
                       std::max(0, -fm.minLeftBearing()) + std::max(0, -fm.minRightBearing());
    EXPECT_LE(needed, TextRoom(*edit)) << c.name << " \"" << c.text << "\"";
  }

  auto* datum = form.findChild<QLabel*>("LabelMapDatum");
  ASSERT_NE(datum, nullptr);
  for (const char* text : {"WGS-84系", "日本測地系", "測地系:188"}) {
    app.view.LabelMapDatum = text;
    form.Refresh();
    form.layout()->activate();
    EXPECT_LE(datum->fontMetrics().horizontalAdvance(datum->text()), datum->contentsRect().width())
        << text;
  }
}

}  // namespace

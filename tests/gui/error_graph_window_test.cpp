#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QTest>
#include <QValueAxis>

#include "app/app.h"
#include "fakes/fake_platform.h"
#include "support/widget_find.h"
#include "ui/tformerrgraph.h"
#include "ui/tmainform.h"

namespace {

QXYSeries* SeriesNamed(QChart* chart, const char* name) {
  for (QAbstractSeries* s : chart->series()) {
    if (s->name() == QString::fromUtf8(name)) return qobject_cast<QXYSeries*>(s);
  }
  ADD_FAILURE() << name;
  return nullptr;
}

ClockMeasurementPoint Point(double pcTime, double error, bool stepped) {
  ClockMeasurementPoint p;
  p.pcTime = pcTime;
  p.error = error;
  p.source = ClockSource::kPps;
  p.frequencyPpm = -40;
  p.stepped = stepped;
  return p;
}

// "誤差ｸﾞﾗﾌ..." opens the graph beside the main window, which keeps it up to
// date on its refresh.
TEST(ErrorGraphWindow, OpensFromTheMainWindowAndFollowsTheHistory) {
  FakePlatform fake;
  App app{fake.platform};
  TMainForm form{app};
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(form.FormErrGraph(), nullptr);
  QTest::mouseClick(Find<QPushButton>(form, "ButtonErrGraph"), Qt::LeftButton);
  TFormErrGraph* graph = form.FormErrGraph();
  ASSERT_NE(graph, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(graph));
  EXPECT_EQ(graph->windowTitle().toStdString(), "誤差ｸﾞﾗﾌ");
  EXPECT_FALSE(graph->isModal());
  QChart* chart = Find<QChartView>(*graph, "ChartErrGraph")->chart();
  QXYSeries* error = SeriesNamed(chart, "PC誤差");
  QXYSeries* frequency = SeriesNamed(chart, "周波数補正");
  QXYSeries* steps = SeriesNamed(chart, "時刻校正");
  ASSERT_TRUE(error && frequency && steps);
  EXPECT_EQ(error->count(), 0);

  const double t = fake.time.Pc();
  app.errorHistory.Add(Point(t - 60, 0.045, true));
  for (int i = 59; i >= 0; --i) app.errorHistory.Add(Point(t - i, 3e-6, false));
  form.Refresh();
  EXPECT_EQ(error->count(), 61);
  EXPECT_EQ(frequency->count(), 61);
  ASSERT_EQ(steps->count(), 1);
  EXPECT_DOUBLE_EQ(steps->at(0).x(), -1);
  EXPECT_DOUBLE_EQ(steps->at(0).y(), 45000);
  EXPECT_DOUBLE_EQ(error->at(60).y(), 3);
  EXPECT_DOUBLE_EQ(frequency->at(60).y(), -40);
  const auto axes = chart->axes(Qt::Vertical, error);
  ASSERT_EQ(axes.size(), 1);
  EXPECT_EQ(axes[0]->titleText().toStdString(), "PC誤差 (ﾏｲｸﾛ秒)");
  const auto* range = qobject_cast<QValueAxis*>(axes[0]);
  EXPECT_GE(range->max(), 45000);

  // Opening again shows the same window.
  graph->close();
  QTest::mouseClick(Find<QPushButton>(form, "ButtonErrGraph"), Qt::LeftButton);
  EXPECT_EQ(form.FormErrGraph(), graph);
  EXPECT_TRUE(graph->isVisible());
}

}  // namespace

#include "ui/tformerrgraph.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QList>
#include <QPen>
#include <QPointF>
#include <QScatterSeries>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "timekeeping/error_history.h"

namespace {

QList<QPointF> PointsOf(const std::vector<GraphPoint>& points) {
  QList<QPointF> list;
  list.reserve(static_cast<qsizetype>(points.size()));
  for (const GraphPoint& p : points) list.append(QPointF(p.minutes, p.value));
  return list;
}

// The axis over [low, high] in round steps, its labels with as many decimals
// as the steps need.
void SetRange(QValueAxis* axis, double low, double high) {
  axis->setRange(low, high);
  axis->applyNiceNumbers();
  const double step = (axis->max() - axis->min()) / std::max(1, axis->tickCount() - 1);
  const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  axis->setLabelFormat(QString("%.%1f").arg(std::min(decimals, 6)));
}

QValueAxis* MakeAxis(const QString& title, const QColor& color) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setLabelsColor(color);
  axis->setLinePenColor(color);
  return axis;
}

}  // namespace

TFormErrGraph::TFormErrGraph(const ErrorHistory& history, QWidget* parent)
    : QDialog(parent), history_(history) {
  setObjectName("TFormErrGraph");
  setWindowTitle(QString::fromUtf8("誤差ｸﾞﾗﾌ"));

  const QColor errorColor(0, 90, 160), frequencyColor(0, 130, 60), stepColor(200, 30, 30);
  errorSeries_ = new QLineSeries;
  errorSeries_->setName(QString::fromUtf8("PC誤差"));
  errorSeries_->setPen(QPen(errorColor, 1.5));
  frequencySeries_ = new QLineSeries;
  frequencySeries_->setName(QString::fromUtf8("周波数補正"));
  frequencySeries_->setPen(QPen(frequencyColor, 1.5));
  stepSeries_ = new QScatterSeries;
  stepSeries_->setName(QString::fromUtf8("時刻校正"));
  stepSeries_->setColor(stepColor);
  stepSeries_->setBorderColor(stepColor);
  stepSeries_->setMarkerSize(9);

  auto* chart = new QChart;
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(4, 4, 4, 4));
  for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(errorSeries_),
                             static_cast<QAbstractSeries*>(frequencySeries_),
                             static_cast<QAbstractSeries*>(stepSeries_)}) {
    chart->addSeries(s);
  }

  timeAxis_ = MakeAxis(QString::fromStdString(model_.TimeAxisTitle), Qt::black);
  timeAxis_->setRange(-ErrorGraphModel::kSpanMinutes, 0);
  timeAxis_->setTickCount(7);
  timeAxis_->setMinorTickCount(1);
  timeAxis_->setLabelFormat("%d");
  errorAxis_ = MakeAxis(QString::fromStdString(model_.ErrorAxisTitle), errorColor);
  errorAxis_->setTitleBrush(errorColor);
  frequencyAxis_ = MakeAxis(QString::fromStdString(model_.FrequencyAxisTitle), frequencyColor);
  frequencyAxis_->setTitleBrush(frequencyColor);
  frequencyAxis_->setGridLineVisible(false);
  chart->addAxis(timeAxis_, Qt::AlignBottom);
  chart->addAxis(errorAxis_, Qt::AlignLeft);
  chart->addAxis(frequencyAxis_, Qt::AlignRight);
  for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(errorSeries_),
                             static_cast<QAbstractSeries*>(stepSeries_)}) {
    s->attachAxis(timeAxis_);
    s->attachAxis(errorAxis_);
  }
  frequencySeries_->attachAxis(timeAxis_);
  frequencySeries_->attachAxis(frequencyAxis_);

  ChartErrGraph = new QChartView(chart, this);
  ChartErrGraph->setObjectName("ChartErrGraph");
  ChartErrGraph->setRenderHint(QPainter::Antialiasing);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ChartErrGraph);
  resize(720, 440);
  Refresh();
}

void TFormErrGraph::Refresh() {
  if (!model_.Update(history_)) return;
  errorSeries_->replace(PointsOf(model_.ErrorSeries));
  frequencySeries_->replace(PointsOf(model_.FrequencySeries));
  stepSeries_->replace(PointsOf(model_.StepMarks));
  errorAxis_->setTitleText(QString::fromStdString(model_.ErrorAxisTitle));
  SetRange(errorAxis_, model_.ErrorMin, model_.ErrorMax);
  SetRange(frequencyAxis_, model_.FrequencyMin, model_.FrequencyMax);
}

void TFormErrGraph::showEvent(QShowEvent* event) {
  Refresh();
  QDialog::showEvent(event);
}

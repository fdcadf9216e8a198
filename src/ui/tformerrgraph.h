#pragma once
#include <QDialog>

#include "timekeeping/error_graph_model.h"

class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

// "誤差ｸﾞﾗﾌ": the last hour of the measured PC error (left axis) and of the
// frequency correction (right axis), with the steps marked. Drawn from the
// core's graph model; redrawn only when new measurements came.
class TFormErrGraph : public QDialog {
  Q_OBJECT
 public:
  explicit TFormErrGraph(const ErrorHistory& history, QWidget* parent = nullptr);
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const ErrorHistory& history_;
  ErrorGraphModel model_;
  QChartView* ChartErrGraph;
  QLineSeries* errorSeries_;
  QLineSeries* frequencySeries_;
  QScatterSeries* stepSeries_;
  QValueAxis* timeAxis_;
  QValueAxis* errorAxis_;
  QValueAxis* frequencyAxis_;
};

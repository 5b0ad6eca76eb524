#pragma once
// The chart of the class averages: per range, a group of bars for every
// class, one bar per measure (the total, then each subject), standing above
// or hanging below the zero line that is the range's own average. Painted
// from the core's chart model; the window follows every change of the
// division.

#include <QDialog>
#include <QWidget>
#include <vector>

#include "stats/averages_chart.h"

namespace tessaly::ui::division {

class DivisionContext;

// The painted chart of every range, one under the other.
class AveragesChartView : public QWidget {
  Q_OBJECT
 public:
  explicit AveragesChartView(QWidget* parent = nullptr);
  void SetChart(std::vector<stats::ChartRange> chart);
  const std::vector<stats::ChartRange>& chart() const { return chart_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<stats::ChartRange> chart_;
};

// "图表": the chart in a window of its own beside the averages page.
class AveragesChartWindow : public QDialog {
  Q_OBJECT
 public:
  explicit AveragesChartWindow(DivisionContext& ctx, QWidget* parent = nullptr);
  // Draws the chart of the current division.
  void Render();
  AveragesChartView* view() const { return view_; }

 private:
  DivisionContext& ctx_;
  AveragesChartView* view_;
};

// Shows the chart window of the page `parent` (made at the first call),
// raised and drawing the division now.
AveragesChartWindow* ShowAveragesChart(DivisionContext& ctx, QWidget* parent);

}  // namespace tessaly::ui::division

#include "ui/division/averages_chart_view.h"

#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cmath>

#include "ui/division/division_context.h"
#include "ui/qt_text.h"

namespace tessaly::ui::division {
namespace {

constexpr int kRangeHeight = 300;  // the height of one range's chart
constexpr int kLeft = 70;          // room for the scale
constexpr int kRight = 20;
constexpr int kTop = 56;     // title and legend
constexpr int kBottom = 34;  // class labels

// The colour of measure m: the total dark, the subjects in turn.
QColor MeasureColour(std::size_t m) {
  static const QColor kColours[] = {
      QColor(40, 40, 40),    QColor(31, 119, 180),  QColor(255, 127, 14), QColor(44, 160, 44),
      QColor(214, 39, 40),   QColor(148, 103, 189), QColor(140, 86, 75),  QColor(227, 119, 194),
      QColor(127, 127, 127), QColor(188, 189, 34),  QColor(23, 190, 207)};
  return kColours[m % (sizeof kColours / sizeof kColours[0])];
}

// A round bound of the scale at or above `v`: 1, 2 or 5 times a power of ten.
double NiceBound(double v) {
  if (v <= 0) return 1;
  const double p = std::pow(10.0, std::floor(std::log10(v)));
  for (double f : {1.0, 2.0, 5.0, 10.0}) {
    if (v <= f * p) return f * p;
  }
  return 10 * p;
}

void PaintRange(QPainter& p, const stats::ChartRange& r, const QRect& area) {
  p.setPen(Qt::black);
  QFont title = p.font();
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(area.left() + 8, area.top() + 4, area.width() - 16, 20),
             Qt::AlignLeft | Qt::AlignVCenter,
             Q(r.title) + QStringLiteral("  各班平均分与本区间平均分之差"));
  title.setBold(false);
  p.setFont(title);
  // The legend: one swatch per measure.
  int x = area.left() + kLeft;
  for (std::size_t m = 0; m < r.measures.size(); ++m) {
    const QString name = Q(r.measures[m]);
    p.fillRect(QRect(x, area.top() + 30, 12, 12), MeasureColour(m));
    p.drawText(QPoint(x + 16, area.top() + 41), name);
    x += 24 + p.fontMetrics().horizontalAdvance(name);
  }
  const QRect plot(area.left() + kLeft, area.top() + kTop, area.width() - kLeft - kRight,
                   area.height() - kTop - kBottom);
  const double bound = NiceBound(r.largest);
  const double mid = plot.top() + plot.height() / 2.0;
  auto y_of = [&](double v) { return mid - v / bound * (plot.height() / 2.0); };
  // The scale: the bounds, half way and the zero line of the range's average.
  p.setPen(QColor(200, 200, 200));
  for (double v : {-bound, -bound / 2, bound / 2, bound}) {
    p.drawLine(QPointF(plot.left(), y_of(v)), QPointF(plot.right(), y_of(v)));
  }
  p.setPen(Qt::black);
  for (double v : {-bound, -bound / 2, 0.0, bound / 2, bound}) {
    p.drawText(QRectF(area.left(), y_of(v) - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(v, 'g', 4));
  }
  p.drawLine(QPointF(plot.left(), mid), QPointF(plot.right(), mid));
  p.drawLine(plot.topLeft(), plot.bottomLeft());

  const std::size_t classes = r.class_ids.size();
  if (classes == 0) return;
  const double group = static_cast<double>(plot.width()) / classes;
  const double bar = std::max(1.0, group * 0.8 / std::max<std::size_t>(1, r.measures.size()));
  for (std::size_t k = 0; k < classes; ++k) {
    const double left = plot.left() + k * group + group * 0.1;
    for (std::size_t m = 0; m < r.deviation[k].size(); ++m) {
      const double v = r.deviation[k][m];
      const double top = std::min(y_of(v), mid);
      p.fillRect(QRectF(left + m * bar, top, std::max(1.0, bar - 1), std::fabs(y_of(v) - mid)),
                 MeasureColour(m));
    }
    p.drawText(QRectF(plot.left() + k * group, plot.bottom() + 6, group, 20), Qt::AlignCenter,
               QString::number(r.class_ids[k]) + QStringLiteral(" 班"));
  }
}

}  // namespace

AveragesChartView::AveragesChartView(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
}

void AveragesChartView::SetChart(std::vector<stats::ChartRange> chart) {
  chart_ = std::move(chart);
  setMinimumHeight(static_cast<int>(std::max<std::size_t>(1, chart_.size())) * kRangeHeight);
  updateGeometry();
  update();
}

QSize AveragesChartView::sizeHint() const {
  return {900, static_cast<int>(std::max<std::size_t>(1, chart_.size())) * kRangeHeight};
}

void AveragesChartView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, false);
  if (chart_.empty()) {
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("还没有分班结果。"));
    return;
  }
  for (std::size_t i = 0; i < chart_.size(); ++i) {
    PaintRange(p, chart_[i], QRect(0, static_cast<int>(i) * kRangeHeight, width(), kRangeHeight));
  }
}

AveragesChartWindow::AveragesChartWindow(DivisionContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx) {
  setWindowTitle(QStringLiteral("平均分图表"));
  setObjectName(QStringLiteral("AveragesChartWindow"));
  view_ = new AveragesChartView(this);
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(view_);
  scroll->setWidgetResizable(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll);
  resize(980, 700);
  // The chart follows every change of the division.
  connect(&ctx_, &DivisionContext::divisionChanged, this, &AveragesChartWindow::Render);
  Render();
}

void AveragesChartWindow::Render() {
  view_->SetChart(stats::AveragesChart(ctx_.state()));
}

AveragesChartWindow* ShowAveragesChart(DivisionContext& ctx, QWidget* parent) {
  auto* window = parent->findChild<AveragesChartWindow*>();
  if (!window) window = new AveragesChartWindow(ctx, parent);
  window->Render();
  window->show();
  window->raise();
  return window;
}

}  // namespace tessaly::ui::division

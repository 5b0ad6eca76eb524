#include "ui/division/print_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <set>

#include "stats/class_lists.h"
#include "ui/division/division_context.h"
#include "ui/qt_text.h"

namespace tessaly::ui::division {

bool PaintPages(const std::vector<model::PrintedPage>& pages, QPagedPaintDevice& device) {
  device.setPageSize(QPageSize(QPageSize::A4));
  device.setPageMargins(QMarginsF(0, 0, 0, 0));
  QPainter p;
  if (!p.begin(&device)) return false;
  // Page points to device pixels.
  const double f = device.logicalDpiX() / 72.0;
  const double g = device.logicalDpiY() / 72.0;
  QFont font(QStringLiteral("Noto Sans CJK SC"));
  font.setStyleHint(QFont::SansSerif);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) device.newPage();
    p.setPen(QPen(Qt::black, 0.6 * f));
    for (const model::PrintedLine& l : pages[i].lines) {
      p.drawLine(QPointF(l.x1 * f, l.y1 * g), QPointF(l.x2 * f, l.y2 * g));
    }
    for (const model::PrintedText& t : pages[i].texts) {
      if (t.text.empty()) continue;
      font.setPixelSize(std::max(1, static_cast<int>(std::lround(t.size * g))));
      font.setBold(t.bold);
      p.setFont(font);
      const QRectF box(t.x * f, t.y * g, t.width * f, t.height * g);
      const QString text =
          p.fontMetrics().elidedText(Q(t.text), Qt::ElideRight, static_cast<int>(box.width()));
      const Qt::Alignment align =
          (t.align == model::TextAlign::kCenter ? Qt::AlignHCenter : Qt::AlignLeft) |
          Qt::AlignVCenter;
      p.drawText(box, static_cast<int>(align), text);
    }
  }
  return p.end();
}

PrintWindow::PrintWindow(DivisionContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
  setWindowTitle(QStringLiteral("打印分班名单"));
  setObjectName(QStringLiteral("PrintWindow"));
  class_ = new QComboBox(this);
  class_->addItem(QStringLiteral("全部班级"), -1);
  std::set<std::int32_t> ids;
  for (const auto& set : ctx_.state().RangeSets) {
    for (const auto& s : set.Students) {
      if (s.AssignedClass >= 0) ids.insert(s.AssignedClass);
    }
  }
  for (std::int32_t id : ids) class_->addItem(QString::number(id) + QStringLiteral(" 班"), id);

  auto* columns = new QGroupBox(QStringLiteral("学号、姓名、性别之外打印的栏目"), this);
  auto* grid = new QGridLayout(columns);
  int n = 0;
  for (const std::string& heading : stats::OptionalListColumns(ctx_.state())) {
    auto* box = new QCheckBox(Q(heading), columns);
    columns_.push_back(box);
    grid->addWidget(box, n / 6, n % 6);
    ++n;
  }
  summary_ = new QCheckBox(QStringLiteral("最后一页打印各班平均分一览"), this);
  summary_->setChecked(true);
  print_ = new QPushButton(QStringLiteral("打印..."), this);
  pdf_ = new QPushButton(QStringLiteral("输出为PDF..."), this);
  auto* close = new QPushButton(QStringLiteral("关闭"), this);

  auto* class_row = new QHBoxLayout;
  class_row->addWidget(new QLabel(QStringLiteral("打印范围："), this));
  class_row->addWidget(class_);
  class_row->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(print_);
  buttons->addWidget(pdf_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(class_row);
  layout->addWidget(columns);
  layout->addWidget(summary_);
  layout->addWidget(
      new QLabel(QStringLiteral("每班从新的一页开始，学生按学号排列；页脚有页码。"), this));
  layout->addLayout(buttons);

  connect(print_, &QPushButton::clicked, this, &PrintWindow::Print);
  connect(pdf_, &QPushButton::clicked, this, &PrintWindow::SavePdf);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

std::vector<model::PrintedPage> PrintWindow::Pages() {
  stats::ClassListOptions options;
  options.only_class = class_->currentData().toInt();
  for (QCheckBox* box : columns_) {
    if (box->isChecked()) options.columns.push_back(Gb(box->text()));
  }
  const auto lists = stats::BuildClassLists(ctx_.state(), options);
  if (lists.empty()) {
    ctx_.user().Warning("还没有分班结果，没有可打印的分班名单！"_gb);
    return {};
  }
  const bool summary = summary_->isChecked() && options.only_class < 0;
  return stats::LayOutClassLists(
      lists, summary ? stats::ClassAveragesSummary(ctx_.state()) : model::Grid{});
}

void PrintWindow::Print() {
  const auto pages = Pages();
  if (pages.empty()) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("分班名单"));
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle(QStringLiteral("打印分班名单"));
  if (dialog.exec() != QDialog::Accepted) return;
  if (!PaintPages(pages, printer)) ctx_.user().Error("无法打印分班名单：打印机没有准备好。"_gb);
}

void PrintWindow::SavePdf() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("输出为PDF"),
                                                    QStringLiteral("分班名单.pdf"),
                                                    QStringLiteral("PDF文件(*.pdf)"));
  if (!path.isEmpty()) WritePdf(path);
}

bool PrintWindow::WritePdf(const QString& path) {
  const auto pages = Pages();
  if (pages.empty()) return false;
  QPdfWriter writer(path);
  writer.setResolution(300);
  writer.setTitle(QStringLiteral("分班名单"));
  writer.setCreator(QStringLiteral("Tessaly"));
  if (!PaintPages(pages, writer)) {
    ctx_.user().Error("无法写入PDF文件"_gb + "“"_gb + Gb(path) + "”"_gb + "。"_gb);
    return false;
  }
  return true;
}

}  // namespace tessaly::ui::division

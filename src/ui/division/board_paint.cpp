// How the class board is painted: the columns, their headings with the
// figures and the subject bars, the cards, and the banner of a drag.

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "ui/division/board_view.h"
#include "ui/qt_text.h"

namespace tessaly::ui::division {

namespace {

constexpr int kBars = 34;
constexpr double kBarFull = 2;  // a deviation this far off fills half the bar area

const QColor kText(0x22, 0x26, 0x2d);
const QColor kMuted(0x5f, 0x67, 0x73);
const QColor kMark(0x0b, 0x72, 0x85);
const QColor kCardLine(0xb9, 0xc1, 0xcc);
const QColor kSelected(0x1f, 0x5f, 0xbf);
const QColor kCameBack(0x2b, 0x9a, 0x48);
const QColor kPinnedBack(0xe4, 0xe7, 0xeb);
const QColor kMatchBack(0xff, 0xee, 0x8c);
const QColor kWarnLine(0xc9, 0x3c, 0x00);
const QColor kTargetLine(0x1f, 0x5f, 0xbf);

QString FiguresLine(const adjust::BoardFigures& f) {
  return QStringLiteral("平均 ") + Q(adjust::AverageText(f)) + QStringLiteral("  ") +
         Q(adjust::DeviationText(f.deviation));
}

}  // namespace

void BoardView::PaintCard(QPainter& painter, const QRect& rect, const adjust::BoardCard& c) const {
  const bool selected = c.number == selected_;
  const bool came_back = !highlight_.empty() && c.number == highlight_;
  painter.setPen(QPen(selected    ? kSelected
                      : came_back ? kCameBack
                                  : kCardLine,
                      selected || came_back ? 2 : 1));
  painter.setBrush(c.match ? kMatchBack : c.pinned() ? kPinnedBack : QColor(Qt::white));
  painter.drawRoundedRect(rect.adjusted(0, 0, -1, -1), 4, 4);
  const int lh = fontMetrics().height();
  const QRect top(rect.x() + 6, rect.y() + 2, rect.width() - 12, lh);
  const QRect bottom(rect.x() + 6, rect.y() + 2 + lh, rect.width() - 12, lh);
  QFont bold = font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.setPen(c.pinned() ? kMuted : kText);
  painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, Q(c.name));
  painter.setFont(font());
  painter.drawText(top, Qt::AlignRight | Qt::AlignVCenter,
                   Q(c.gender) + QStringLiteral("  ") + Q(c.total_text));
  painter.setPen(kMuted);
  painter.drawText(bottom, Qt::AlignLeft | Qt::AlignVCenter, Q(c.number));
  QString right;
  for (const std::string& m : c.marks)
    right += (right.isEmpty() ? QString() : QStringLiteral("·")) + Q(m);
  if (c.pinned()) {
    right += (right.isEmpty() ? QString() : QStringLiteral("  ")) +
             QStringLiteral("预设%1班").arg(c.preset);
  }
  if (came_back) right = QStringLiteral("补回 ") + right;
  painter.setPen(c.pinned() ? kMuted : kMark);
  const int number_width = fontMetrics().horizontalAdvance(Q(c.number)) + 8;
  painter.drawText(bottom.adjusted(number_width, 0, 0, 0), Qt::AlignRight | Qt::AlignVCenter,
                   fontMetrics().elidedText(right, Qt::ElideLeft, bottom.width() - number_width));
}

void BoardView::PaintHeading(QPainter& painter, std::size_t column) const {
  const adjust::BoardColumn& col = board_->columns[column];
  const adjust::BoardFigures& f = col.figures;
  const QRect c = ColumnRect(column);
  const int lh = fontMetrics().height() + 2;
  int y = c.top() + 4;
  const int left = c.left() + 8, width = c.width() - 16;
  QFont bold = font();
  bold.setBold(true);
  bold.setPointSizeF(font().pointSizeF() * 1.15);
  painter.setFont(bold);
  painter.setPen(kText);
  painter.drawText(QRect(left, y, width, lh), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1 班").arg(f.class_id));
  painter.setFont(font());
  painter.drawText(QRect(left, y, width, lh), Qt::AlignRight | Qt::AlignVCenter,
                   Q(adjust::SizeText(f)));
  y += lh;
  painter.drawText(QRect(left, y, width, lh), Qt::AlignLeft | Qt::AlignVCenter, FiguresLine(f));
  y += lh;
  painter.drawText(QRect(left, y, width, lh), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("最大科差 ") + Q(adjust::WidestText(*board_, f)));
  y += lh;

  // One bar per subject, standing above or hanging below the zero line.
  const std::size_t n = f.subject_deviations.size();
  if (n > 0) {
    const int slot = width / static_cast<int>(n);
    const int bar = std::max(3, std::min(slot - 4, 16));
    const int zero = y + kBars / 2;
    painter.setPen(QPen(kMuted, 1));
    painter.drawLine(left, zero, left + slot * static_cast<int>(n), zero);
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.85);
    for (std::size_t j = 0; j < n; ++j) {
      const double d = f.subject_deviations[j];
      const int h =
          static_cast<int>(std::lround(std::min(std::fabs(d) / kBarFull, 1.0) * (kBars / 2 - 1)));
      const int x = left + static_cast<int>(j) * slot + (slot - bar) / 2;
      painter.fillRect(QRect(x, d > 0 ? zero - h : zero + 1, bar, h),
                       GradeColour(adjust::DeviationGrade(d)));
      if (j < board_->subjects.size()) {
        painter.setFont(small);
        painter.setPen(kMuted);
        painter.drawText(QRect(left + static_cast<int>(j) * slot, y + kBars, slot, lh),
                         Qt::AlignHCenter | Qt::AlignTop,
                         Q(board_->subjects[j]).left(slot >= 26 ? 2 : 1));
        painter.setFont(font());
      }
    }
  }
  y += kBars + lh;

  // During a drag: the figures the move would give, in both classes.
  const adjust::MovePreview* p = HoverPreview();
  if (p != nullptr && p->possible) {
    const adjust::BoardFigures* after = nullptr;
    if (f.class_id == p->to_class) after = &p->to_after;
    if (f.class_id == p->from_class) after = &p->from_after;
    if (after != nullptr) {
      painter.setPen(p->Warns() ? kWarnLine : kTargetLine);
      painter.drawText(QRect(left, y, width, lh), Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("调后 ") + FiguresLine(*after));
      painter.drawText(QRect(left, y + lh, width, lh), Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("调后最大科差 ") + Q(adjust::WidestText(*board_, *after)));
    }
  }
}

void BoardView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), QColor(0xf4, 0xf5, 0xf7));
  if (board_ == nullptr) return;
  painter.setRenderHint(QPainter::Antialiasing);
  const int heading = HeadingHeight();
  for (std::size_t k = 0; k < board_->columns.size(); ++k) {
    const QRect c = ColumnRect(k);
    if (c.right() < 0 || c.left() > viewport()->width()) continue;
    const bool hover = hover_column_ == k;
    const adjust::MovePreview* p = hover ? HoverPreview() : nullptr;
    painter.setPen(hover ? QPen(p != nullptr && p->Warns() ? kWarnLine : kTargetLine, 2)
                         : QPen(Qt::NoPen));
    painter.setBrush(ColumnColour(k));
    painter.drawRoundedRect(c, 6, 6);

    painter.save();
    painter.setClipRect(QRect(c.left(), heading, c.width(), viewport()->height() - heading));
    const auto& cards = board_->columns[k].cards;
    const int step = CardRect(k, 1).top() - CardRect(k, 0).top();
    const int first = std::max(0, (verticalScrollBar()->value() - 4) / step);
    for (std::size_t i = static_cast<std::size_t>(first); i < cards.size(); ++i) {
      const QRect r = CardRect(k, i);
      if (r.top() > viewport()->height()) break;
      PaintCard(painter, r, cards[i]);
    }
    // The banner of a drag over this column: what comes back, or why not.
    if (hover && !hover_text_.isEmpty()) {
      const QRect area(c.left() + 4, heading + 2, c.width() - 8, viewport()->height() - heading);
      const QRect text = fontMetrics().boundingRect(area.adjusted(6, 4, -6, -4),
                                                    Qt::TextWordWrap | Qt::AlignLeft, hover_text_);
      const QRect box(area.left(), area.top(), area.width(), text.height() + 10);
      const bool warns = p == nullptr || !p->possible || p->Warns();
      painter.setPen(QPen(warns ? kWarnLine : kTargetLine, 1));
      painter.setBrush(warns ? QColor(0xff, 0xf1, 0xe6) : QColor(0xee, 0xf5, 0xff));
      painter.drawRoundedRect(box, 4, 4);
      painter.setPen(warns ? kWarnLine : kTargetLine);
      painter.drawText(box.adjusted(6, 5, -6, -5), Qt::TextWordWrap | Qt::AlignLeft, hover_text_);
    }
    painter.restore();

    painter.save();
    painter.setClipRect(QRect(c.left(), 0, c.width(), heading));
    PaintHeading(painter, k);
    painter.restore();
  }
}

}  // namespace tessaly::ui::division

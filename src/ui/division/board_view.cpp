#include "ui/division/board_view.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "model/number_format.h"
#include "ui/qt_text.h"

namespace tessaly::ui::division {

namespace {

constexpr int kPad = 8;      // around the board
constexpr int kWidth = 204;  // of a column
constexpr int kGap = 8;      // between columns
constexpr int kCardHeight = 40;
constexpr int kCardGap = 4;
constexpr int kBars = 34;  // height of the subject bars (board_paint.cpp)

const QColor kColumnBack(0xe6, 0xeb, 0xf2);
const QColor kSourceBack(0xdc, 0xdf, 0xe4);
const QColor kTargetBack(0xd2, 0xe6, 0xff);
const QColor kWarnBack(0xff, 0xdc, 0xc8);
const QColor kRefusedBack(0xd9, 0xd9, 0xd9);

int LineHeight(const QWidget* w) {
  return w->fontMetrics().height() + 2;
}

}  // namespace

const QString BoardView::kMimeType = QStringLiteral("application/x-tessaly-board-card");

QColor GradeColour(int grade) {
  static const QColor colours[] = {QColor(0x2b, 0x9a, 0x48), QColor(0xc9, 0xa2, 0x00),
                                   QColor(0xf0, 0x7a, 0x10), QColor(0xd0, 0x24, 0x24)};
  return colours[std::clamp(grade, 0, 3)];
}

BoardView::BoardView(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("boardView"));
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumHeight(120);
  horizontalScrollBar()->setSingleStep(kWidth / 4);
  verticalScrollBar()->setSingleStep(kCardHeight);
}

void BoardView::SetBoard(const adjust::ClassBoard* board) {
  board_ = board;
  previews_.clear();
  ClearHover();
  UpdateScrollBars();
  viewport()->update();
}

void BoardView::Select(const std::string& number) {
  selected_ = number;
  if (board_ != nullptr) {
    if (const auto place = adjust::FindCard(*board_, number)) {
      EnsureVisible(place->column, place->card);
    }
  }
  viewport()->update();
}

void BoardView::SetHighlight(const std::string& number) {
  highlight_ = number;
  viewport()->update();
}

QMimeData* BoardView::CardData(const std::string& number) {
  auto* data = new QMimeData;
  data->setData(kMimeType, QByteArray::fromStdString(number));
  return data;
}

int BoardView::HeadingHeight() const {
  return kPad + 4 + 3 * LineHeight(this) + kBars + LineHeight(this) + 2 * LineHeight(this) + 6;
}

QRect BoardView::ColumnRect(std::size_t column) const {
  const int x = kPad + static_cast<int>(column) * (kWidth + kGap) - horizontalScrollBar()->value();
  return QRect(x, kPad, kWidth, viewport()->height() - 2 * kPad);
}

QRect BoardView::CardRect(std::size_t column, std::size_t card) const {
  const QRect c = ColumnRect(column);
  const int y = HeadingHeight() + 4 + static_cast<int>(card) * (kCardHeight + kCardGap) -
                verticalScrollBar()->value();
  return QRect(c.x() + 6, y, kWidth - 12, kCardHeight);
}

void BoardView::UpdateScrollBars() {
  std::size_t columns = 0, most = 0;
  if (board_ != nullptr) {
    columns = board_->columns.size();
    for (const auto& c : board_->columns) most = std::max(most, c.cards.size());
  }
  const int width = 2 * kPad + static_cast<int>(columns) * (kWidth + kGap);
  const int height = static_cast<int>(most) * (kCardHeight + kCardGap) + 8 + kPad;
  const int room = viewport()->height() - HeadingHeight();
  horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  verticalScrollBar()->setRange(0, std::max(0, height - room));
  verticalScrollBar()->setPageStep(std::max(1, room));
}

void BoardView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

BoardView::Hit BoardView::HitAt(const QPoint& p) const {
  Hit hit;
  if (board_ == nullptr) return hit;
  for (std::size_t k = 0; k < board_->columns.size(); ++k) {
    const QRect c = ColumnRect(k);
    if (p.x() < c.left() || p.x() > c.right()) continue;
    hit.column = k;
    hit.heading = p.y() < HeadingHeight();
    if (hit.heading) return hit;
    for (std::size_t i = 0; i < board_->columns[k].cards.size(); ++i) {
      if (CardRect(k, i).contains(p)) hit.card = i;
    }
    return hit;
  }
  return hit;
}

void BoardView::EnsureVisible(std::size_t column, std::size_t card) {
  const QRect r = CardRect(column, card);
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  if (r.left() < 0) h->setValue(h->value() + r.left() - kPad);
  if (r.right() > viewport()->width())
    h->setValue(h->value() + r.right() - viewport()->width() + kPad);
  if (r.top() < HeadingHeight()) v->setValue(v->value() + r.top() - HeadingHeight() - 4);
  if (r.bottom() > viewport()->height()) {
    v->setValue(v->value() + r.bottom() - viewport()->height() + 4);
  }
}

QPoint BoardView::CardPoint(const std::string& number) {
  if (board_ == nullptr) return {};
  const auto place = adjust::FindCard(*board_, number);
  if (!place) return {};
  EnsureVisible(place->column, place->card);
  return CardRect(place->column, place->card).center();
}

QPoint BoardView::ColumnPoint(std::size_t column) {
  const QRect c = ColumnRect(column);
  if (c.left() < 0 || c.right() > viewport()->width()) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + c.left() - kPad);
  }
  return QPoint(ColumnRect(column).center().x(), HeadingHeight() / 2);
}

const adjust::MovePreview* BoardView::HoverPreview() const {
  if (!hover_column_) return nullptr;
  const auto it = previews_.find({*hover_column_, hover_partner_});
  return it == previews_.end() ? nullptr : &it->second;
}

QColor BoardView::ColumnColour(std::size_t column) const {
  if (hover_column_ == column) {
    const adjust::MovePreview* p = HoverPreview();
    if (p == nullptr || !p->possible) return kRefusedBack;
    return p->Warns() ? kWarnBack : kTargetBack;
  }
  if (drag_from_ == column) return kSourceBack;
  return kColumnBack;
}

void BoardView::ClearHover() {
  hover_column_.reset();
  hover_partner_.clear();
  hover_text_.clear();
}

bool BoardView::Hover(const std::string& number, const QPoint& p) {
  const Hit hit = HitAt(p);
  drag_from_.reset();
  if (const auto place = adjust::FindCard(*board_, number)) drag_from_ = place->column;
  if (!hit.column || hit.column == drag_from_ || !preview_source_) {
    ClearHover();
    viewport()->update();
    return false;
  }
  const std::size_t k = *hit.column;
  std::string partner;
  if (hit.card) partner = board_->columns[k].cards[*hit.card].number;
  auto key = std::make_pair(k, partner);
  auto it = previews_.find(key);
  if (it == previews_.end()) {
    const std::int32_t target = board_->columns[k].figures.class_id;
    it = previews_
             .emplace(key, preview_source_(number, target, partner.empty() ? nullptr : &partner))
             .first;
  }
  const adjust::MovePreview& pv = it->second;
  hover_column_ = k;
  hover_partner_ = partner;
  // What the drop would do, and what it would put at risk.
  if (!pv.possible) {
    hover_text_ = Q(pv.refusal);
  } else {
    hover_text_ = pv.back_filled ? (partner.empty() ? QStringLiteral("自动补回：")
                                                    : QStringLiteral("对换：")) +
                                       Q(pv.back_filled->name) + QStringLiteral("（") +
                                       Q(pv.back_filled->total_text) + QStringLiteral("）")
                                 : QStringLiteral("调入 %1 班").arg(pv.to_class);
    if (pv.Warns()) hover_text_ = Q(pv.warning) + QStringLiteral("\n") + hover_text_;
  }
  viewport()->update();
  return pv.possible;
}

void BoardView::mousePressEvent(QMouseEvent* event) {
  setFocus();
  pressed_.clear();
  const Hit hit = HitAt(event->position().toPoint());
  if (hit.column && hit.card) {
    pressed_ = board_->columns[*hit.column].cards[*hit.card].number;
    press_ = event->position().toPoint();
    Select(pressed_);
  }
}

void BoardView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton) || pressed_.empty() || board_ == nullptr) return;
  if ((event->position().toPoint() - press_).manhattanLength() <
      QApplication::startDragDistance()) {
    return;
  }
  const std::string number = pressed_;
  pressed_.clear();
  const adjust::BoardCard* card = adjust::CardOf(*board_, number);
  if (card == nullptr) return;
  if (card->pinned()) {
    emit dragRefused(number);
    return;
  }
  auto* drag = new QDrag(this);
  drag->setMimeData(CardData(number));
  QPixmap picture(kWidth - 12, kCardHeight);
  picture.fill(Qt::transparent);
  {
    QPainter painter(&picture);
    PaintCard(painter, QRect(0, 0, kWidth - 13, kCardHeight - 1), *card);
  }
  drag->setPixmap(picture);
  drag->setHotSpot(QPoint(picture.width() / 2, picture.height() / 2));
  drag->exec(Qt::MoveAction);
  drag_from_.reset();
  ClearHover();
  viewport()->update();
}

void BoardView::keyPressEvent(QKeyEvent* event) {
  if (board_ == nullptr || selected_.empty()) return QAbstractScrollArea::keyPressEvent(event);
  const auto place = adjust::FindCard(*board_, selected_);
  if (!place) return QAbstractScrollArea::keyPressEvent(event);
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const int key = event->key();
  if (ctrl && (key == Qt::Key_Left || key == Qt::Key_Right)) {
    emit keyMoveRequested(selected_, key == Qt::Key_Left ? -1 : 1);
    return;
  }
  // Arrows choose a card: up and down in the class, left and right beside it.
  std::size_t column = place->column, card = place->card;
  if (key == Qt::Key_Up && card > 0)
    --card;
  else if (key == Qt::Key_Down)
    ++card;
  else if (key == Qt::Key_Left && column > 0)
    --column;
  else if (key == Qt::Key_Right)
    ++column;
  else
    return QAbstractScrollArea::keyPressEvent(event);
  if (column >= board_->columns.size()) return;
  const auto& cards = board_->columns[column].cards;
  if (cards.empty()) return;
  Select(cards[std::min(card, cards.size() - 1)].number);
}

void BoardView::dragEnterEvent(QDragEnterEvent* event) {
  if (board_ == nullptr || !event->mimeData()->hasFormat(kMimeType)) return event->ignore();
  drag_number_ = event->mimeData()->data(kMimeType).toStdString();
  previews_.clear();  // the previews of the card dragged before
  event->acceptProposedAction();
}

void BoardView::dragMoveEvent(QDragMoveEvent* event) {
  if (board_ == nullptr || !event->mimeData()->hasFormat(kMimeType)) return event->ignore();
  drag_number_ = event->mimeData()->data(kMimeType).toStdString();
  const QPoint p = event->position().toPoint();
  // Near an edge the board scrolls towards it.
  if (p.x() < 24) horizontalScrollBar()->setValue(horizontalScrollBar()->value() - 24);
  if (p.x() > viewport()->width() - 24) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + 24);
  }
  if (p.y() > HeadingHeight() && p.y() < HeadingHeight() + 16) {
    verticalScrollBar()->setValue(verticalScrollBar()->value() - 16);
  }
  if (p.y() > viewport()->height() - 16) {
    verticalScrollBar()->setValue(verticalScrollBar()->value() + 16);
  }
  if (Hover(drag_number_, p)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void BoardView::dragLeaveEvent(QDragLeaveEvent* /*event*/) {
  drag_from_.reset();
  ClearHover();
  viewport()->update();
}

void BoardView::dropEvent(QDropEvent* event) {
  if (board_ == nullptr || !event->mimeData()->hasFormat(kMimeType)) return event->ignore();
  const std::string number = event->mimeData()->data(kMimeType).toStdString();
  if (number != drag_number_) previews_.clear();
  const Hit hit = HitAt(event->position().toPoint());
  const auto from = adjust::FindCard(*board_, number);
  drag_from_.reset();
  ClearHover();
  viewport()->update();
  if (!hit.column || !from || *hit.column == from->column) return event->ignore();
  event->acceptProposedAction();
  // The board may be rebuilt by the command: take what is needed first.
  const std::size_t k = *hit.column;
  if (hit.card) {
    const std::string partner = board_->columns[k].cards[*hit.card].number;
    emit exchangeRequested(number, partner);
  } else {
    emit moveRequested(number, board_->columns[k].figures.class_id);
  }
}

bool BoardView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip && board_ != nullptr) {
    auto* help = static_cast<QHelpEvent*>(event);
    const Hit hit = HitAt(help->pos());
    QString text;
    if (hit.column && hit.heading) {
      const adjust::BoardFigures& f = board_->columns[*hit.column].figures;
      for (std::size_t j = 0; j < f.subject_deviations.size() && j < board_->subjects.size(); ++j) {
        text += (j ? QStringLiteral("\n") : QString()) + Q(board_->subjects[j]) +
                QStringLiteral("：班平均 ") + Q(model::FormatAverage(f.subject_averages[j])) +
                QStringLiteral("，与区间差 ") + Q(adjust::DeviationText(f.subject_deviations[j]));
      }
    } else if (hit.column && hit.card) {
      const adjust::BoardCard& c = board_->columns[*hit.column].cards[*hit.card];
      text = Q(c.number) + QStringLiteral(" ") + Q(c.name) + QStringLiteral("  总分 ") +
             Q(c.total_text);
      if (c.pinned()) text += QStringLiteral("\n预设在 %1 班，不能拖动").arg(c.preset);
    }
    if (text.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), text, viewport());
    }
    return true;
  }
  return QAbstractScrollArea::viewportEvent(event);
}

}  // namespace tessaly::ui::division

#pragma once
// The painted class board: one column per class side by side, its heading
// (the class figures and a bar per subject) fixed at the top while the cards
// scroll under it. A card is dragged onto another class (a move) or onto a
// card of another class (an exchange); while it is dragged over a column, the
// figures the move would give are shown beside the present ones and a move
// that warns turns the column to the warning colour with the reason. Ctrl+Left
// and Ctrl+Right ask to move the selected card to the neighbouring class.

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "adjust/class_board.h"

class QMimeData;

namespace tessaly::ui::division {

class BoardView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  // The type of a dragged card's data: the student number (code page 936).
  static const QString kMimeType;

  explicit BoardView(QWidget* parent = nullptr);

  // What a move of `number` into `target` (or its exchange with `partner`)
  // would give; the page answers from the state.
  using PreviewSource = std::function<adjust::MovePreview(
      const std::string& number, std::int32_t target, const std::string* partner)>;
  void SetPreviewSource(PreviewSource source) { preview_source_ = std::move(source); }

  // Shows `board` (kept by the caller, alive while shown).
  void SetBoard(const adjust::ClassBoard* board);
  const std::string& selected() const { return selected_; }
  void Select(const std::string& number);
  // The card marked as the one that came back (empty: none).
  void SetHighlight(const std::string& number);

  // The data of a dragged card.
  static QMimeData* CardData(const std::string& number);
  // Where a card or a column lies in the viewport (scrolled into view
  // first); a column point lies under its heading, below its last card
  // when there is room.
  QPoint CardPoint(const std::string& number);
  QPoint ColumnPoint(std::size_t column);

  // The drag over the board, as shown: the column the card is over, the
  // preview and the text in the column's banner.
  std::optional<std::size_t> HoverColumn() const { return hover_column_; }
  const adjust::MovePreview* HoverPreview() const;
  const QString& HoverText() const { return hover_text_; }
  // The background of a column as painted now.
  QColor ColumnColour(std::size_t column) const;

 signals:
  void moveRequested(const std::string& number, std::int32_t target);
  void exchangeRequested(const std::string& a, const std::string& b);
  void keyMoveRequested(const std::string& number, int step);
  // A pinned card was pulled: it stays.
  void dragRefused(const std::string& number);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  struct Hit {
    std::optional<std::size_t> column;
    std::optional<std::size_t> card;
    bool heading = false;
  };
  Hit HitAt(const QPoint& p) const;
  int HeadingHeight() const;
  QRect ColumnRect(std::size_t column) const;  // viewport coordinates, full height
  QRect CardRect(std::size_t column, std::size_t card) const;
  void UpdateScrollBars();
  void ClearHover();
  // The hover state for a drag of `number` over point `p`; true when a drop
  // there would move.
  bool Hover(const std::string& number, const QPoint& p);
  void PaintHeading(QPainter& painter, std::size_t column) const;
  void PaintCard(QPainter& painter, const QRect& rect, const adjust::BoardCard& card) const;
  void EnsureVisible(std::size_t column, std::size_t card);

  const adjust::ClassBoard* board_ = nullptr;
  PreviewSource preview_source_;
  std::string selected_;
  std::string highlight_;
  QPoint press_;
  std::string pressed_;
  // The drag in progress.
  std::string drag_number_;
  std::optional<std::size_t> drag_from_;
  std::optional<std::size_t> hover_column_;
  std::string hover_partner_;
  QString hover_text_;
  // The previews of the dragged card: by column and the card dropped on.
  std::map<std::pair<std::size_t, std::string>, adjust::MovePreview> previews_;
};

// The colour of a deviation grade (0 even .. 3 far off).
QColor GradeColour(int grade);

}  // namespace tessaly::ui::division

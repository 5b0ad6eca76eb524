#include "ui/division/board_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "adjust/board_moves.h"
#include "engine/transfer.h"
#include "ui/division/board_view.h"
#include "ui/division/division_context.h"
#include "ui/qt_text.h"

namespace tessaly::ui::division {

BoardPage::BoardPage(DivisionContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
  setObjectName(QStringLiteral("boardPage"));
  range_ = new QComboBox(this);
  range_->setObjectName(QStringLiteral("boardRange"));
  range_->setMinimumContentsLength(14);
  range_->setToolTip(QStringLiteral("看板显示这个区间的各班"));
  sort_ = new QComboBox(this);
  sort_->addItems({QStringLiteral("按学号"), QStringLiteral("按姓名"), QStringLiteral("按总分")});
  sort_->setCurrentIndex(static_cast<int>(adjust::BoardSort::kTotal));
  search_ = new QLineEdit(this);
  search_->setPlaceholderText(QStringLiteral("搜索姓名、学号或首字母"));
  search_->setClearButtonEnabled(true);
  search_->setMaximumWidth(200);
  matches_ = new QLabel(this);
  back_fill_ = new QCheckBox(QStringLiteral("自动补回"), this);
  back_fill_->setChecked(true);
  back_fill_->setToolTip(
      QStringLiteral("拖入另一班时，从该班选一名总分相近的学生补回原班，两班人数不变"));
  legend_ = new QLabel(this);
  legend_->setTextFormat(Qt::RichText);
  QString legend = QStringLiteral("科目柱（班平均−区间平均）：");
  const auto texts = adjust::DeviationLegend();
  for (std::size_t g = 0; g < texts.size(); ++g) {
    legend += QStringLiteral("<span style=\"color:%1\">■</span>%2 ")
                  .arg(GradeColour(static_cast<int>(g)).name(), Q(texts[g]).toHtmlEscaped());
  }
  legend_->setText(legend);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("boardStatus"));
  status_->setText(
      QStringLiteral("拖动学生卡片到另一班即调班；拖到另一班的学生卡片上即两人对换；"
                     "选中卡片后按 Ctrl+←/→ 调到相邻班。"));

  auto* bar = new QHBoxLayout;
  bar->addWidget(new QLabel(QStringLiteral("区间："), this));
  bar->addWidget(range_);
  bar->addWidget(new QLabel(QStringLiteral("排序："), this));
  bar->addWidget(sort_);
  bar->addWidget(search_);
  bar->addWidget(matches_);
  bar->addWidget(back_fill_);
  bar->addStretch();
  bar->addWidget(legend_);

  view_ = new BoardView(this);
  view_->SetPreviewSource([this](const std::string& number, std::int32_t target,
                                 const std::string* partner) {
    return partner != nullptr
               ? adjust::PreviewExchange(ctx_.state(), board_, number, *partner)
               : adjust::PreviewMove(ctx_.state(), board_, number, target, back_fill_->isChecked());
  });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(bar);
  layout->addWidget(view_, 1);
  layout->addWidget(status_);

  connect(range_, &QComboBox::currentIndexChanged, this, [this] { Render(); });
  connect(sort_, &QComboBox::currentIndexChanged, this, [this](int index) {
    adjust::SortBoard(board_, static_cast<adjust::BoardSort>(index));
    view_->SetBoard(&board_);
  });
  connect(search_, &QLineEdit::textChanged, this, &BoardPage::Search);
  connect(back_fill_, &QCheckBox::toggled, this, [this] { view_->SetBoard(&board_); });
  connect(view_, &BoardView::moveRequested, this, &BoardPage::Move);
  connect(view_, &BoardView::exchangeRequested, this, &BoardPage::Exchange);
  connect(view_, &BoardView::keyMoveRequested, this, &BoardPage::MoveByKey);
  connect(view_, &BoardView::dragRefused, this, [this](const std::string& number) {
    if (const adjust::BoardCard* c = adjust::CardOf(board_, number)) {
      Tell(Q(c->name) + QStringLiteral(" 已预设在 %1 班，不能拖动。").arg(c->preset));
    }
  });
}

void BoardPage::Enter() {
  const QString current = range_->currentText();
  QStringList items;
  for (const std::string& item : adjust::BoardRangeItems(ctx_.state())) items << Q(item);
  {
    const QSignalBlocker block(range_);
    range_->clear();
    range_->addItems(items);
    const int keep = items.indexOf(current);
    range_->setCurrentIndex(keep >= 0 ? keep : (items.isEmpty() ? -1 : 0));
  }
  Render();
}

void BoardPage::Render() {
  board_ = adjust::BuildBoard(ctx_.state(), range_->currentIndex(),
                              static_cast<adjust::BoardSort>(sort_->currentIndex()));
  adjust::SearchBoard(board_, Gb(search_->text()));
  view_->SetBoard(&board_);
  Search();
}

void BoardPage::Search() {
  const std::size_t n = adjust::SearchBoard(board_, Gb(search_->text()));
  matches_->setText(search_->text().isEmpty() ? QString() : QStringLiteral("找到 %1 人").arg(n));
  view_->SetBoard(&board_);
}

void BoardPage::Tell(const QString& text) {
  status_->setText(text);
}

void BoardPage::Move(const std::string& number, std::int32_t target) {
  const adjust::BoardCard* card = adjust::CardOf(board_, number);
  if (card == nullptr) return;
  const QString name = Q(card->name);
  const bool back_fill = back_fill_->isChecked();
  const adjust::BoardMoveResult r = ctx_.Change("调班看板：调班", [&] {
    return adjust::MoveOnBoard(ctx_.state(), ctx_.user(), board_, number, target, back_fill);
  });
  if (!r.moved) return;
  ctx_.ShowCurrentScore();
  Render();
  view_->Select(number);
  view_->SetHighlight(r.back_filled ? r.back_filled->Number : std::string());
  QString text = name + QStringLiteral(" 调入 %1 班").arg(target);
  if (r.back_filled) text += QStringLiteral("；") + Q(engine::BackFilledMessage(*r.back_filled));
  Tell(text);
}

void BoardPage::Exchange(const std::string& a, const std::string& b) {
  const adjust::BoardCard* x = adjust::CardOf(board_, a);
  const adjust::BoardCard* y = adjust::CardOf(board_, b);
  if (x == nullptr || y == nullptr) return;
  const QString text =
      Q(x->name) + QStringLiteral(" 与 ") + Q(y->name) + QStringLiteral(" 对换班级");
  const adjust::BoardMoveResult r = ctx_.Change("调班看板：对换", [&] {
    return adjust::ExchangeOnBoard(ctx_.state(), ctx_.user(), board_, a, b);
  });
  if (!r.moved) return;
  ctx_.ShowCurrentScore();
  Render();
  view_->Select(a);
  view_->SetHighlight(b);
  Tell(text);
}

void BoardPage::MoveByKey(const std::string& number, int step) {
  if (const auto target = adjust::NeighbourClass(board_, number, step)) Move(number, *target);
}

}  // namespace tessaly::ui::division

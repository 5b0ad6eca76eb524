#include "ui/division/division_context.h"

#include "engine/division.h"
#include "platform/encoding.h"

namespace tessaly::ui::division {

DivisionContext::DivisionContext(Session& session, QObject* parent)
    : QObject(parent), s_(session), roster_item_("全部学生"_gb) {
  history_.Seen(s_.state);
}

void DivisionContext::Divide() {
  engine::Coin coin(coin_seed_);
  const engine::DivisionResult result = engine::bsSkinButton10Click(s_.state, s_.user, coin);
  // A new division starts a history of its own, whatever it reached: the
  // steps before belong to the division it replaced.
  history_.Clear();
  history_.Seen(s_.state);
  if (result.completed) {
    caption_ = result.score_caption;
    roster_item_ = "全部学生"_gb;
  }
  emit captionChanged();
  emit divisionChanged();
  emit historyChanged();
}

void DivisionContext::Changed() {
  emit divisionChanged();
  emit historyChanged();
}

void DivisionContext::ShowCurrentScore() {
  std::string caption = stats::CurrentScoreCaption(s_.state);
  if (caption.empty()) return;
  caption_ = std::move(caption);
  emit captionChanged();
}

void DivisionContext::CheckChangedElsewhere() {
  if (history_.ForgetIfChangedElsewhere(s_.state)) {
    // Another division: its score is not the one shown.
    caption_.clear();
    emit captionChanged();
    emit historyChanged();
  }
}

void DivisionContext::Undo() {
  CheckChangedElsewhere();
  if (!history_.Undo(s_.state, caption_)) return;
  emit captionChanged();
  emit divisionChanged();
  emit historyChanged();
}

void DivisionContext::Redo() {
  CheckChangedElsewhere();
  if (!history_.Redo(s_.state, caption_)) return;
  emit captionChanged();
  emit divisionChanged();
  emit historyChanged();
}

}  // namespace tessaly::ui::division

#include "ui/division/division_context.h"

#include "engine/division.h"
#include "platform/encoding.h"

namespace tessaly::ui::division {

DivisionContext::DivisionContext(Session& session, QObject* parent)
    : QObject(parent), s_(session), roster_item_("全部学生"_gb) {
  history_.Seen(s_.state);
}

void DivisionContext::Divide() {
  CheckChangedElsewhere();
  // Moves, balancing and optimiser runs since the last division are the
  // teacher's work: dividing again replaces them, so ask first (No by default).
  if (history_.ChangedSinceDivision(s_.state) &&
      !s_.user.Confirm("重新分班将替换当前的分班结果（包括手工调整），是否继续？"_gb)) {
    return;
  }
  engine::Coin coin(coin_seed_);
  // A division over another is one undo step: undo brings the one it
  // replaced back, with its score and its own steps.
  const engine::DivisionResult result = history_.Divide(s_.state, "开始分班", caption_, [&] {
    return engine::bsSkinButton10Click(s_.state, s_.user, coin);
  });
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
    // Another division (an opened file, an import): the score shown is not
    // its own. An opened division shows its score as after a division.
    caption_ = stats::CurrentScoreCaption(s_.state);
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

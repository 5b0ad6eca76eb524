#include "adjust/board_moves.h"

#include <utility>

#include "engine/transfer.h"
#include "model/forwarding_user.h"
#include "platform/encoding.h"

namespace tessaly::adjust {

namespace {

// The real user, except that the groups question the transfer would ask
// again is answered yes: the board asked it before the move.
class AgreedUser : public model::ForwardingUser {
 public:
  using ForwardingUser::ForwardingUser;
  bool Confirm(const std::string&) override { return true; }
};

// The refusal or the question of a preview: true when the move may go on.
bool MayMove(const model::ProgramState& state, model::UserPort& user, const MovePreview& p) {
  if (!p.possible) {
    if (!p.refusal.empty()) user.Warning(p.refusal);
    return false;
  }
  return !p.Warns() || user.Confirm(MoveQuestion(state, p));
}

}  // namespace

std::string MoveQuestion(const model::ProgramState& state, const MovePreview& preview) {
  return PreviewWarning(state, preview) + "\n仍然要调班吗？"_gb;
}

BoardMoveResult MoveOnBoard(model::ProgramState& state, model::UserPort& user,
                            const ClassBoard& board, const std::string& number, std::int32_t target,
                            bool back_fill, double limit) {
  BoardMoveResult out;
  const MovePreview p = PreviewMove(state, board, number, target, back_fill, limit);
  if (!MayMove(state, user, p)) return out;
  const BoardCard* card = CardOf(board, number);
  AgreedUser agreed(user);
  const engine::TransferResult r = engine::TransferStudent(
      state, agreed, number, card->name, target, limit,
      back_fill ? engine::BackFillMode::BackFillByMatch : engine::BackFillMode::NoBackFill);
  if (r.outcome == engine::TransferOutcome::NoCandidate)
    user.Warning(engine::NoPartnerMessage(limit));
  out.moved = r.success();
  out.back_filled = r.back_filled;
  return out;
}

BoardMoveResult ExchangeOnBoard(model::ProgramState& state, model::UserPort& user,
                                const ClassBoard& board, const std::string& a,
                                const std::string& b) {
  BoardMoveResult out;
  const MovePreview p = PreviewExchange(state, board, a, b);
  if (!MayMove(state, user, p)) return out;
  const BoardCard* x = CardOf(board, a);
  const BoardCard* y = CardOf(board, b);
  // Both moves on the side; the division changes only when both succeed.
  std::vector<model::Student_F> sets = state.RangeSets;
  AgreedUser agreed(user);
  const bool moved = engine::TransferStudent(state, agreed, a, x->name, p.to_class, 0,
                                             engine::BackFillMode::NoBackFill)
                         .success() &&
                     engine::TransferStudent(state, agreed, b, y->name, p.from_class, 0,
                                             engine::BackFillMode::NoBackFill)
                         .success();
  if (!moved) {
    state.RangeSets = std::move(sets);
    return out;
  }
  out.moved = true;
  const model::Student_F& set = state.RangeSets[static_cast<std::size_t>(board.range)];
  for (const model::student& s : set.Students) {
    if (s.Number == b) out.back_filled = s;
  }
  return out;
}

std::optional<std::int32_t> NeighbourClass(const ClassBoard& board, const std::string& number,
                                           int step) {
  const auto place = FindCard(board, number);
  if (!place) return std::nullopt;
  const auto k = static_cast<std::ptrdiff_t>(place->column) + step;
  if (k < 0 || k >= static_cast<std::ptrdiff_t>(board.columns.size())) return std::nullopt;
  return board.columns[static_cast<std::size_t>(k)].figures.class_id;
}

}  // namespace tessaly::adjust

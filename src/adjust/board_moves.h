#pragma once
// The moves of the class board: a card dragged onto another class (the query
// page's transfer, with back-fill when the board's "自动补回" is on), a card
// dropped onto a card of another class (an exchange: two moves that succeed
// or fail together), and a card moved to the neighbouring class by key. A
// move that would put namesakes together or break a keep-apart or
// keep-together group asks first; a pinned student is not moved.

#include <cstdint>
#include <optional>
#include <string>

#include "adjust/class_board.h"
#include "model/program_state.h"
#include "model/records.h"
#include "model/user_port.h"

namespace tessaly::adjust {

struct BoardMoveResult {
  bool moved = false;
  std::optional<model::student> back_filled;  // who came back (back-fill) or was exchanged
};

// Moves student `number` of the board into class `target`: refused with a
// warning for a pinned student; asks (yes/no) when the move warns; then the
// transfer, with back-fill by match when `back_fill` (no partner within
// `limit`: the query page's warning). Dropping a card on its own class does
// nothing. `board` must show `state`.
BoardMoveResult MoveOnBoard(model::ProgramState& state, model::UserPort& user,
                            const ClassBoard& board, const std::string& number, std::int32_t target,
                            bool back_fill, double limit = kBoardBackFillLimit);

// Exchanges students `a` and `b` of two classes of the board: `a` moves to
// the class of `b` and `b` to the class of `a`, both pinned there, or
// nothing changes. Refused with a warning when either is pinned; asks when
// the exchange warns.
BoardMoveResult ExchangeOnBoard(model::ProgramState& state, model::UserPort& user,
                                const ClassBoard& board, const std::string& a,
                                const std::string& b);

// The class of the column `step` columns beside the card of `number` (-1:
// left, +1: right); none at the board's ends or for a student not on it.
std::optional<std::int32_t> NeighbourClass(const ClassBoard& board, const std::string& number,
                                           int step);

// The question before a move that warns: why, and "仍然要调班吗？".
std::string MoveQuestion(const model::ProgramState& state, const MovePreview& preview);

}  // namespace tessaly::adjust

#pragma once
// The class board of the division page ("调班看板"): every class of one range
// side by side, each headed by its figures (size, boys and girls, average
// total and its deviation from the range, the deviation of every subject
// average), its students as cards; and what a move or an exchange would give
// before it is made. The figures are the averages table's and the balance
// report's, computed the same way, so the three always print the same digits.
//
// A move on the board is the transfer of the query page; the commands that
// make one are in adjust/board_moves.h.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/evaluation.h"
#include "model/program_state.h"

namespace tessaly::adjust {

enum class BoardSort { kNumber, kName, kTotal };

// One student of the board.
struct BoardCard {
  std::int32_t position = -1;  // in the range set
  std::string number;
  std::string name;
  std::string gender;
  double total = 0;
  std::string total_text;          // the total in the general number form
  std::vector<std::string> marks;  // the student's non-empty balance values, in column order
  std::int32_t preset = -1;        // PresetClass; pinned when 0 or more
  std::string sound_key;           // SoundKey of the name: equal keys are namesakes
  bool match = false;              // matches the search text
  bool pinned() const { return preset >= 0; }
};

// The figures of one class (or of the whole range: class id -1, deviations 0).
struct BoardFigures {
  std::int32_t class_id = -1;
  std::int32_t size = 0;  // students placed in the class
  std::int32_t boys = 0;  // Gender "男"
  std::int32_t girls = 0;
  double average = 0;                      // average total of the counted students
  double deviation = 0;                    // average - the range's average
  std::vector<double> subject_averages;    // per subject: the class average
  std::vector<double> subject_deviations;  // per subject: class average - range average
  std::int32_t widest = -1;                // the subject of the largest |deviation|; -1: none
  double WidestDeviation() const { return widest < 0 ? 0.0 : subject_deviations[widest]; }
};

struct BoardColumn {
  BoardFigures figures;
  std::vector<BoardCard> cards;
};

struct ClassBoard {
  std::int32_t range = -1;            // index of the range row and range set; -1: none
  std::vector<std::string> subjects;  // subject headings of the range set
  engine::New_ClassInf whole;         // the summary of the whole range
  BoardFigures range_figures;
  std::vector<BoardColumn> columns;  // the distinct classes of the range row, in its order
  BoardSort sort = BoardSort::kTotal;
  std::string search;  // the text the cards were matched against
};

// The items of the range box: per range row that has a range set,
// "type:range" as the averages chart names it (按名次:1-300).
std::vector<std::string> BoardRangeItems(const model::ProgramState& state);

// The board of range `range` with its cards sorted by `sort`; an empty board
// (range -1, no columns) when the range has no range set. Students placed
// in no class of the range row are not on it.
ClassBoard BuildBoard(const model::ProgramState& state, std::int32_t range, BoardSort sort);

// Sorts every column's cards: by number (numbers of digits by value), by
// name (code page order, which follows pinyin for common characters), or by
// total (highest first); equal keys by number.
void SortBoard(ClassBoard& board, BoardSort sort);

// Marks the cards whose number or name contains `text`, or whose initials
// (first letters of the pinyin) begin with the Latin letters of `text`;
// empty text marks none. Returns the number of marked cards.
std::size_t SearchBoard(ClassBoard& board, const std::string& text);

// Where a student's card is: column and card index.
struct CardPlace {
  std::size_t column = 0;
  std::size_t card = 0;
};
std::optional<CardPlace> FindCard(const ClassBoard& board, const std::string& number);
const BoardCard* CardOf(const ClassBoard& board, const std::string& number);
// The column of a class; none when the class is not on the board.
std::optional<std::size_t> ColumnOf(const ClassBoard& board, std::int32_t class_id);

// How far off a subject deviation is, 0 (even) to 3 (far off), by its size:
// up to 0.5, 1 and 2 points, and beyond.
int DeviationGrade(double deviation);
// The legend of the grades: one text per grade.
std::vector<std::string> DeviationLegend();

// The printed figures, as the averages table and the balance report print
// them: the average total ("543.250"), a deviation ("+1.250", "-0.500",
// "0.000"), the size ("45 人  男 23  女 22") and the widest subject deviation
// ("数学 -2.031", empty without subjects).
std::string AverageText(const BoardFigures& figures);
std::string DeviationText(double deviation);
std::string SizeText(const BoardFigures& figures);
std::string WidestText(const ClassBoard& board, const BoardFigures& figures);

// What a move or an exchange would give, before it is made.
struct MovePreview {
  bool possible = true;  // false: the move cannot be made (refusal says why)
  std::string refusal;
  std::int32_t from_class = -1;
  std::int32_t to_class = -1;
  BoardFigures from_before, from_after, to_before, to_after;
  std::optional<BoardCard> back_filled;  // with back-fill: who would come back
  // The namesakes the move would put together: "3 班：张伟、章维" per pair.
  std::vector<std::string> namesakes;
  std::vector<std::int32_t> broken_groups;  // rows of GroupRows the move would break
  std::string warning;                      // PreviewWarning of the two above
  bool Warns() const { return !namesakes.empty() || !broken_groups.empty(); }
};

// The back-fill limit of a board move: the largest total difference of the
// student who comes back, as the query page's default.
inline constexpr double kBoardBackFillLimit = 20;

// Moving student `number` into class `target` (with back-fill when
// `back_fill`): the query page's transfer, tried on a copy of the division.
// Not possible for a pinned student, a class not on the board, the class the
// student is in, or a back-fill that finds nobody.
MovePreview PreviewMove(const model::ProgramState& state, const ClassBoard& board,
                        const std::string& number, std::int32_t target, bool back_fill,
                        double limit = kBoardBackFillLimit);

// Exchanging students `a` and `b` of two classes of the board: both moved
// without back-fill. Not possible for a pinned student or two students of
// one class.
MovePreview PreviewExchange(const model::ProgramState& state, const ClassBoard& board,
                            const std::string& a, const std::string& b);

// The warning of a preview that warns: why, one line per reason.
std::string PreviewWarning(const model::ProgramState& state, const MovePreview& preview);

}  // namespace tessaly::adjust

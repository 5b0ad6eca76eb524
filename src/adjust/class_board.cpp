#include "adjust/class_board.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "engine/group_guard.h"
#include "engine/names/same_names.h"
#include "engine/names/spell.h"
#include "engine/transfer.h"
#include "model/number_format.h"
#include "model/silent_user.h"
#include "model/text_fields.h"
#include "platform/encoding.h"
#include "stats/averages_chart.h"
#include "stats/evenness.h"

namespace tessaly::adjust {

namespace {

const std::string& Boy() {
  static const std::string text = "男"_gb;
  return text;
}
const std::string& Girl() {
  static const std::string text = "女"_gb;
  return text;
}

// The figures of the classes `ids` of `set` (the whole range in `whole`),
// summed exactly as the averages table and the balance report sum them.
std::vector<BoardFigures> FiguresOf(const model::Student_F& set,
                                    const std::vector<std::int32_t>& ids,
                                    engine::New_ClassInf* whole_out = nullptr) {
  std::vector<std::int32_t> numbers = ids;
  numbers.insert(numbers.begin(), -1);
  std::vector<engine::New_ClassInf> summaries = engine::SummariseClasses(set, numbers);
  if (summaries.empty()) {
    for (std::int32_t k : numbers) {
      summaries.push_back(engine::EmptySummary(k, set.Headings.SubjectHeadings.size()));
    }
  }
  const engine::New_ClassInf& whole = summaries[0];
  std::unordered_map<std::int32_t, std::size_t> index;
  std::vector<BoardFigures> out(ids.size());
  for (std::size_t k = 0; k < ids.size(); ++k) {
    index.emplace(ids[k], k);
    BoardFigures& f = out[k];
    const engine::New_ClassInf& c = summaries[k + 1];
    f.class_id = ids[k];
    f.average = c.AverageTotal;
    f.deviation = c.AverageTotal - whole.AverageTotal;
    double widest = -1;
    for (std::size_t j = 0; j < c.SubjectAverages.size(); ++j) {
      const double range = j < whole.SubjectAverages.size() ? whole.SubjectAverages[j].Average : 0;
      const double d = c.SubjectAverages[j].Average - range;
      f.subject_averages.push_back(c.SubjectAverages[j].Average);
      f.subject_deviations.push_back(d);
      if (std::fabs(d) > widest) {
        widest = std::fabs(d);
        f.widest = static_cast<std::int32_t>(j);
      }
    }
  }
  for (const model::student& s : set.Students) {
    const auto it = index.find(s.AssignedClass);
    if (it == index.end()) continue;
    BoardFigures& f = out[it->second];
    ++f.size;
    if (s.Gender == Boy()) ++f.boys;
    if (s.Gender == Girl()) ++f.girls;
  }
  if (whole_out != nullptr) *whole_out = whole;
  return out;
}

BoardCard MakeCard(const model::student& s, std::int32_t position,
                   const engine::SoundRules& rules) {
  BoardCard card;
  card.position = position;
  card.number = s.Number;
  card.name = s.Name;
  card.gender = s.Gender;
  card.total = s.Total;
  card.total_text = model::FormatNumber(s.Total);
  for (const std::string& v : s.BalanceValues) {
    if (!v.empty()) card.marks.push_back(v);
  }
  card.preset = s.PresetClass;
  card.sound_key = engine::SoundKey(s.Name, rules);
  return card;
}

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Numbers of digits by value, anything else by its bytes.
bool NumberLess(const std::string& a, const std::string& b) {
  if (AllDigits(a) && AllDigits(b)) {
    const std::string_view x(a.data() + std::min(a.find_first_not_of('0'), a.size()));
    const std::string_view y(b.data() + std::min(b.find_first_not_of('0'), b.size()));
    if (x.size() != y.size()) return x.size() < y.size();
    if (x != y) return x < y;
  }
  return a < b;
}

// The state a trial move works on: the division and its rules, without the
// imported tables and the kept versions, which a transfer does not read.
model::ProgramState TrialCopy(const model::ProgramState& state) {
  model::ProgramState t;
  t.RangeSets = state.RangeSets;
  t.NextSetSlot = state.NextSetSlot;
  t.CombineMode = state.CombineMode;
  t.ExpectedSetCount = state.ExpectedSetCount;
  t.DivisionStarted = state.DivisionStarted;
  t.ShowPresetClass = state.ShowPresetClass;
  t.InitialSoundPairs = state.InitialSoundPairs;
  t.FinalSoundPairs = state.FinalSoundPairs;
  t.ClassRangeRows = state.ClassRangeRows;
  t.BandConditionRows = state.BandConditionRows;
  t.BalanceItemRows = state.BalanceItemRows;
  t.CountConditionRows = state.CountConditionRows;
  t.SameNameRows = state.SameNameRows;
  t.GroupRows = state.GroupRows;
  return t;
}

std::int32_t PositionOf(const model::Student_F& set, const std::string& number) {
  for (std::size_t i = 0; i < set.Students.size(); ++i) {
    if (set.Students[i].Number == number) return static_cast<std::int32_t>(i);
  }
  return -1;
}

// "3 班：张伟、章维" when `mover` joining column `col` finds namesakes there;
// the students in `leaving` are no longer in it then.
void AddNamesakes(const ClassBoard& board, const BoardCard& mover, std::size_t col,
                  const BoardCard* leaving, std::vector<std::string>& out) {
  if (mover.sound_key.empty()) return;
  std::string names;
  for (const BoardCard& c : board.columns[col].cards) {
    if (c.number == mover.number || (leaving != nullptr && c.number == leaving->number)) continue;
    if (c.sound_key == mover.sound_key) names += "、"_gb + c.name;
  }
  if (names.empty()) return;
  out.push_back(std::to_string(board.columns[col].figures.class_id) + " 班："_gb + mover.name +
                names);
}

std::string PinnedRefusal(const BoardCard& card) {
  return card.name + "（"_gb + card.number + "）已预设在 "_gb + std::to_string(card.preset) +
         " 班，不能调动。"_gb;
}

// The groups that moving `a` to `to_a` (and `b` to `to_b`) would break.
std::vector<std::int32_t> BrokenBy(const model::ProgramState& state, std::size_t r,
                                   const std::string& a, std::int32_t to_a, const std::string* b,
                                   std::int32_t to_b) {
  if (state.GroupRows.empty()) return {};
  const engine::DivisionGroups groups(state);
  if (groups.guard.Empty()) return {};
  const model::Student_F& set = state.RangeSets[r];
  const std::int32_t pa = PositionOf(set, a);
  const std::int32_t pb = b == nullptr ? -1 : PositionOf(set, *b);
  if (pa < 0) return {};
  return groups.Broken(groups.At(r, pa), to_a, pb < 0 ? -1 : groups.At(r, pb), to_b);
}

// The figures of classes S and T after a trial.
void FiguresAfter(const model::ProgramState& trial, const ClassBoard& board, MovePreview& p) {
  const auto after = FiguresOf(trial.RangeSets[board.range], {p.from_class, p.to_class});
  p.from_after = after[0];
  p.to_after = after[1];
}

}  // namespace

std::vector<std::string> BoardRangeItems(const model::ProgramState& state) {
  std::vector<std::string> items;
  const std::size_t n = std::min(state.ClassRangeRows.size(), state.RangeSets.size());
  for (std::size_t r = 0; r < n; ++r) {
    items.push_back(stats::RangeTitle(state.ClassRangeRows[r]));
  }
  return items;
}

ClassBoard BuildBoard(const model::ProgramState& state, std::int32_t range, BoardSort sort) {
  ClassBoard board;
  board.sort = sort;
  if (range < 0 || static_cast<std::size_t>(range) >= state.RangeSets.size() ||
      static_cast<std::size_t>(range) >= state.ClassRangeRows.size()) {
    return board;
  }
  board.range = range;
  const model::Student_F& set = state.RangeSets[range];
  board.subjects = set.Headings.SubjectHeadings;
  const std::vector<std::int32_t> ids = stats::DistinctClassIds(state.ClassRangeRows[range]);
  std::vector<BoardFigures> figures = FiguresOf(set, ids, &board.whole);
  board.range_figures.average = board.whole.AverageTotal;
  board.range_figures.size = static_cast<std::int32_t>(set.Students.size());
  for (const engine::SubjectAverage& a : board.whole.SubjectAverages) {
    board.range_figures.subject_averages.push_back(a.Average);
    board.range_figures.subject_deviations.push_back(0);
  }
  std::unordered_map<std::int32_t, std::size_t> column;
  for (std::size_t k = 0; k < ids.size(); ++k) {
    column.emplace(ids[k], k);
    board.columns.push_back({std::move(figures[k]), {}});
  }
  const engine::SoundRules rules = engine::SoundRulesOf(state);
  for (std::size_t i = 0; i < set.Students.size(); ++i) {
    const model::student& s = set.Students[i];
    if (s.Gender == Boy()) ++board.range_figures.boys;
    if (s.Gender == Girl()) ++board.range_figures.girls;
    const auto it = column.find(s.AssignedClass);
    if (it == column.end()) continue;
    board.columns[it->second].cards.push_back(MakeCard(s, static_cast<std::int32_t>(i), rules));
  }
  SortBoard(board, sort);
  return board;
}

void SortBoard(ClassBoard& board, BoardSort sort) {
  board.sort = sort;
  auto less = [sort](const BoardCard& a, const BoardCard& b) {
    if (sort == BoardSort::kName && a.name != b.name) return a.name < b.name;
    if (sort == BoardSort::kTotal && a.total != b.total) return a.total > b.total;
    return NumberLess(a.number, b.number);
  };
  for (BoardColumn& c : board.columns) std::stable_sort(c.cards.begin(), c.cards.end(), less);
}

std::size_t SearchBoard(ClassBoard& board, const std::string& text) {
  board.search = text;
  const std::string upper = model::ToUpperLatin(text);
  const bool letters = !upper.empty() && std::all_of(upper.begin(), upper.end(),
                                                     [](char c) { return c >= 'A' && c <= 'Z'; });
  std::size_t matches = 0;
  for (BoardColumn& col : board.columns) {
    for (BoardCard& c : col.cards) {
      c.match = !text.empty() &&
                (model::ContainsText(c.number, text) || model::ContainsText(c.name, text) ||
                 (letters && engine::ToPinyin(c.name, 0, 255).starts_with(upper)));
      if (c.match) ++matches;
    }
  }
  return matches;
}

std::optional<CardPlace> FindCard(const ClassBoard& board, const std::string& number) {
  for (std::size_t k = 0; k < board.columns.size(); ++k) {
    const auto& cards = board.columns[k].cards;
    for (std::size_t i = 0; i < cards.size(); ++i) {
      if (cards[i].number == number) return CardPlace{k, i};
    }
  }
  return std::nullopt;
}

const BoardCard* CardOf(const ClassBoard& board, const std::string& number) {
  const auto place = FindCard(board, number);
  return place ? &board.columns[place->column].cards[place->card] : nullptr;
}

std::optional<std::size_t> ColumnOf(const ClassBoard& board, std::int32_t class_id) {
  for (std::size_t k = 0; k < board.columns.size(); ++k) {
    if (board.columns[k].figures.class_id == class_id) return k;
  }
  return std::nullopt;
}

int DeviationGrade(double deviation) {
  const double d = std::fabs(deviation);
  if (d <= 0.5) return 0;
  if (d <= 1) return 1;
  if (d <= 2) return 2;
  return 3;
}

std::vector<std::string> DeviationLegend() {
  return {"均衡 ≤0.5分"_gb, "≤1分"_gb, "≤2分"_gb, "偏离 >2分"_gb};
}

std::string AverageText(const BoardFigures& figures) {
  return model::FormatAverage(figures.average);
}

std::string DeviationText(double deviation) {
  return engine::GapText(deviation);
}

std::string SizeText(const BoardFigures& f) {
  return std::to_string(f.size) + " 人  男 "_gb + std::to_string(f.boys) + "  女 "_gb +
         std::to_string(f.girls);
}

std::string WidestText(const ClassBoard& board, const BoardFigures& f) {
  if (f.widest < 0) return {};
  const auto j = static_cast<std::size_t>(f.widest);
  const std::string subject = j < board.subjects.size() ? board.subjects[j] : std::string();
  return subject + " " + DeviationText(f.WidestDeviation());
}

MovePreview PreviewMove(const model::ProgramState& state, const ClassBoard& board,
                        const std::string& number, std::int32_t target, bool back_fill,
                        double limit) {
  MovePreview p;
  p.to_class = target;
  const auto place = FindCard(board, number);
  const auto to = ColumnOf(board, target);
  if (!place || !to) {
    p.possible = false;
    p.refusal = "看板上没有这个学生或这个班级。"_gb;
    return p;
  }
  const BoardCard& card = board.columns[place->column].cards[place->card];
  p.from_class = board.columns[place->column].figures.class_id;
  p.from_before = board.columns[place->column].figures;
  p.to_before = board.columns[*to].figures;
  if (card.pinned()) {
    p.possible = false;
    p.refusal = PinnedRefusal(card);
    return p;
  }
  if (p.from_class == target) {
    p.possible = false;  // back where it came from: nothing to do, nothing to say
    return p;
  }
  model::ProgramState trial = TrialCopy(state);
  model::SilentUser agree(true);
  const engine::TransferResult result = engine::TransferStudent(
      trial, agree, number, card.name, target, limit,
      back_fill ? engine::BackFillMode::BackFillByMatch : engine::BackFillMode::NoBackFill);
  if (!result.success()) {
    p.possible = false;
    p.refusal = result.outcome == engine::TransferOutcome::NoCandidate
                    ? engine::NoPartnerMessage(limit)
                    : "调班没能成功！"_gb;
    return p;
  }
  FiguresAfter(trial, board, p);
  const BoardCard* partner = nullptr;
  if (result.back_filled) {
    partner = CardOf(board, result.back_filled->Number);
    if (partner != nullptr) p.back_filled = *partner;
  }
  AddNamesakes(board, card, *to, partner, p.namesakes);
  if (partner != nullptr) AddNamesakes(board, *partner, place->column, &card, p.namesakes);
  p.broken_groups = BrokenBy(state, static_cast<std::size_t>(board.range), number, target,
                             partner != nullptr ? &partner->number : nullptr, p.from_class);
  p.warning = PreviewWarning(state, p);
  return p;
}

MovePreview PreviewExchange(const model::ProgramState& state, const ClassBoard& board,
                            const std::string& a, const std::string& b) {
  MovePreview p;
  const auto pa = FindCard(board, a);
  const auto pb = FindCard(board, b);
  if (!pa || !pb) {
    p.possible = false;
    p.refusal = "看板上没有这个学生或这个班级。"_gb;
    return p;
  }
  const BoardCard& x = board.columns[pa->column].cards[pa->card];
  const BoardCard& y = board.columns[pb->column].cards[pb->card];
  p.from_class = board.columns[pa->column].figures.class_id;
  p.to_class = board.columns[pb->column].figures.class_id;
  p.from_before = board.columns[pa->column].figures;
  p.to_before = board.columns[pb->column].figures;
  if (x.pinned() || y.pinned()) {
    p.possible = false;
    p.refusal = PinnedRefusal(x.pinned() ? x : y);
    return p;
  }
  if (pa->column == pb->column) {
    p.possible = false;
    return p;
  }
  model::ProgramState trial = TrialCopy(state);
  model::SilentUser agree(true);
  const bool moved = engine::TransferStudent(trial, agree, a, x.name, p.to_class, 0,
                                             engine::BackFillMode::NoBackFill)
                         .success() &&
                     engine::TransferStudent(trial, agree, b, y.name, p.from_class, 0,
                                             engine::BackFillMode::NoBackFill)
                         .success();
  if (!moved) {
    p.possible = false;
    p.refusal = "调班没能成功！"_gb;
    return p;
  }
  FiguresAfter(trial, board, p);
  p.back_filled = y;
  AddNamesakes(board, x, pb->column, &y, p.namesakes);
  AddNamesakes(board, y, pa->column, &x, p.namesakes);
  p.broken_groups =
      BrokenBy(state, static_cast<std::size_t>(board.range), a, p.to_class, &b, p.from_class);
  p.warning = PreviewWarning(state, p);
  return p;
}

std::string PreviewWarning(const model::ProgramState& state, const MovePreview& preview) {
  std::string text;
  auto line = [&](const std::string& s) { text += (text.empty() ? "" : "\n") + s; };
  if (!preview.namesakes.empty()) {
    line("同班会有同名或读音相近的学生："_gb);
    for (const std::string& s : preview.namesakes) line("  " + s);
  }
  if (!preview.broken_groups.empty()) {
    line("会破坏分班约束："_gb);
    for (std::int32_t row : preview.broken_groups)
      line("  " + engine::DescribeGroupRow(state, row));
  }
  return text;
}

}  // namespace tessaly::adjust

#pragma once
// Same-name and similar-sound analysis: a name's sound key (the pinyin of its
// characters after the ticked fuzzy-sound rewrites), the per-range list of
// keys, the namesake test the division and the transfers price with, and the
// same-name table of the division page.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/grid.h"
#include "model/program_state.h"
#include "model/records.h"
#include "model/rule_lists.h"

namespace tessaly::engine {

// One fuzzy-sound pair read from a caption such as "c-ch": the short form is
// rewritten to the long form. Both in capitals.
struct SoundPair {
  std::string short_form;
  std::string long_form;
};

// The ticked pairs, ready for use, with the rewritten form of every syllable
// of the pinyin list computed once.
struct SoundRules {
  std::vector<SoundPair> initials;     // in list order
  std::vector<SoundPair> finals;       // in list order
  std::vector<std::string> rewritten;  // index = syllable number; filled by MakeSoundRules
};

// The rules of the two pair lists (rows such as "c-ch", "an-ang"). A row
// without "-" or with an empty short form is not a pair and is ignored.
SoundRules MakeSoundRules(const model::RuleList& initial_pairs, const model::RuleList& final_pairs);

// The rules of the program state's InitialSoundPairs and FinalSoundPairs.
SoundRules SoundRulesOf(const model::ProgramState& state);

// One syllable in capitals after the rewrites: initial pairs tested on the
// syllable as given (the last matching pair wins), then final pairs in list
// order on the result so far (an-ang before uan-ang).
std::string NormaliseSyllable(std::string_view syllable, const SoundRules& rules);

// The sound key of a name: its two-byte pieces converted with ToPinyin(piece,
// 1, 255) and rewritten with NormaliseSyllable, concatenated (张伟 -> ZHANGWEI);
// a four-byte character, which has no syllable, stands for itself.
std::string SoundKey(std::string_view name, const SoundRules& rules);

// SameNameRows for a range set: the sound key of every student, in order.
model::RuleList BuildSoundKeys(const model::Student_F& set, const SoundRules& rules);

// Result of the namesake test.
struct NamesakeResult {
  bool full = false;    // class k already holds its share of s's namesakes
  double graded = 0.0;  // inClass / ceil(total / Y) * 400, capped at 400
  bool operator==(const NamesakeResult&) const = default;
};

// Literal namesake test of student `s` (position in `set`) for class number
// `k` of a range with `class_count` classes, counting over `same_name_rows`
// (BuildSoundKeys of the same set). A student without namesake in the range,
// a name without any sound (empty key) and a class count below 1 give
// {false, 0}. Linear in the set size; the division uses NamesakeIndex.
NamesakeResult SameNameTest(const model::Student_F& set, const model::RuleList& same_name_rows,
                            std::int32_t s, std::int32_t class_count, std::int32_t k,
                            const SoundRules& rules);

// The same-name table: for every range set with namesakes a heading row
// (range key and " 该区段学生同姓名或相似读音"), then per group a row of names
// (columns 1..) over a row of classes ("所属班级", "3 班" ...). Every range but
// the first is preceded by one empty row when it has a block.
model::Grid ShowSameNames(const std::vector<model::Student_F>& range_sets,
                          const model::RuleList& class_range_rows, const SoundRules& rules);

// ShowSameNames of the program state's range sets, range rows and pairs.
model::Grid ShowSameNames(const model::ProgramState& state);

}  // namespace tessaly::engine

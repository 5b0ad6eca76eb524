#include "engine/names/same_names.h"

#include <string>
#include <unordered_map>

#include "engine/names/spell.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::vector<SoundPair> ReadPairs(const model::RuleList& rows) {
  std::vector<SoundPair> pairs;
  for (const auto& row : rows) {
    const auto dash = row.find('-');
    if (dash == std::string::npos || dash == 0) continue;
    pairs.push_back({model::ToUpperLatin(std::string_view(row).substr(0, dash)),
                     model::ToUpperLatin(std::string_view(row).substr(dash + 1))});
  }
  return pairs;
}

// The sound of one two-byte piece of a name, rewritten.
void AppendPieceSound(std::string& key, std::string_view piece, const SoundRules& rules) {
  if (piece.size() == 2) {
    const auto lead = static_cast<unsigned char>(piece[0]);
    const auto trail = static_cast<unsigned char>(piece[1]);
    if (lead != 0xA2 && lead != 0xA3 && lead != 0xA6) {
      const int n = SyllableNumber(lead, trail);
      if (n > 0 && static_cast<std::size_t>(n) < rules.rewritten.size()) {
        key += rules.rewritten[n];
        return;
      }
    }
  }
  std::string sound;
  AppendPinyin(sound, piece, kWholeSyllable);
  if (sound.size() > 255) sound.resize(255);
  key += NormaliseSyllable(sound, rules);
}

}  // namespace

SoundRules MakeSoundRules(const model::RuleList& initial_pairs,
                          const model::RuleList& final_pairs) {
  SoundRules rules;
  rules.initials = ReadPairs(initial_pairs);
  rules.finals = ReadPairs(final_pairs);
  rules.rewritten.resize(kSyllableCount + 1);
  for (int n = 1; n <= kSyllableCount; ++n) {
    rules.rewritten[n] = NormaliseSyllable(model::ToUpperLatin(SyllableText(n)), rules);
  }
  return rules;
}

SoundRules SoundRulesOf(const model::ProgramState& state) {
  return MakeSoundRules(state.InitialSoundPairs, state.FinalSoundPairs);
}

std::string NormaliseSyllable(std::string_view syllable, const SoundRules& rules) {
  std::string result(syllable);
  // Initials look at the syllable as given, so one rewrite never feeds another.
  for (const auto& pair : rules.initials) {
    if (StartsWith(syllable, pair.short_form) && !StartsWith(syllable, pair.long_form)) {
      result = pair.long_form;
      result += syllable.substr(pair.short_form.size());
    }
  }
  // Finals apply in list order to the result so far.
  for (const auto& pair : rules.finals) {
    if (EndsWith(result, pair.short_form)) {
      result.resize(result.size() - pair.short_form.size());
      result += pair.long_form;
    }
  }
  return result;
}

std::string SoundKey(std::string_view name, const SoundRules& rules) {
  std::string key;
  for (std::size_t i = 0; i < name.size();) {
    // A four-byte character has no syllable: it sounds like itself, so that
    // the same character matches and two different ones do not.
    if (enc::CharLength(name, i) == 4) {
      key.append(name.substr(i, 4));
      i += 4;
      continue;
    }
    AppendPieceSound(key, name.substr(i, 2), rules);
    i += 2;
  }
  return key;
}

model::RuleList BuildSoundKeys(const model::Student_F& set, const SoundRules& rules) {
  model::RuleList keys;
  keys.reserve(set.Students.size());
  for (const auto& s : set.Students) keys.push_back(SoundKey(s.Name, rules));
  return keys;
}

NamesakeResult SameNameTest(const model::Student_F& set, const model::RuleList& same_name_rows,
                            std::int32_t s, std::int32_t class_count, std::int32_t k,
                            const SoundRules& rules) {
  if (s < 0 || static_cast<std::size_t>(s) >= set.Students.size()) return {};
  const std::string key = SoundKey(set.Students[s].Name, rules);
  // A name that gives no sound at all is nobody's namesake.
  if (key.empty()) return {};
  std::int32_t total = 0;
  std::int32_t in_class = 0;
  for (std::size_t i = 0; i < same_name_rows.size(); ++i) {
    if (same_name_rows[i] != key) continue;
    ++total;
    if (i < set.Students.size() && set.Students[i].AssignedClass == k) ++in_class;
  }
  if (total <= 1 || class_count < 1) return {};
  const std::int32_t share = total / class_count + (total % class_count != 0 ? 1 : 0);
  if (in_class >= share) return {true, 400.0};
  return {false, static_cast<double>(in_class) / share * 400.0};
}

model::Grid ShowSameNames(const std::vector<model::Student_F>& range_sets,
                          const model::RuleList& class_range_rows, const SoundRules& rules) {
  static const std::string kHeading = " 该区段学生同姓名或相似读音"_gb;
  static const std::string kClassLabel = "所属班级"_gb;
  static const std::string kClassSuffix = " 班"_gb;
  model::Grid grid;
  std::size_t row = 0;
  for (std::size_t i = 0; i < range_sets.size(); ++i) {
    const auto& students = range_sets[i].Students;
    const model::RuleList keys = BuildSoundKeys(range_sets[i], rules);
    // Positions of every key, in set order.
    std::unordered_map<std::string_view, std::vector<std::size_t>> by_key;
    for (std::size_t j = 0; j < keys.size(); ++j) {
      if (!keys[j].empty()) by_key[keys[j]].push_back(j);
    }
    // A group starts at the first student of its key (placed or not) and
    // takes the later students of that key that are placed. Groups come in
    // the order of their first students.
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t j = 0; j < keys.size(); ++j) {
      if (keys[j].empty()) continue;
      const auto& positions = by_key[keys[j]];
      if (positions.front() != j) continue;
      std::vector<std::size_t> group = {j};
      for (std::size_t m = 1; m < positions.size(); ++m) {
        if (students[positions[m]].AssignedClass >= 0) group.push_back(positions[m]);
      }
      if (group.size() > 1) groups.push_back(std::move(group));
    }
    if (groups.empty() || i >= class_range_rows.size()) continue;
    if (i > 0) ++row;
    grid.At(row, 0) = model::RangeKey(class_range_rows[i]) + kHeading;
    ++row;
    for (const auto& group : groups) {
      grid.At(row + 1, 0) = kClassLabel;
      for (std::size_t c = 0; c < group.size(); ++c) {
        const auto& s = students[group[c]];
        grid.At(row, c + 1) = s.Name;
        grid.At(row + 1, c + 1) = std::to_string(s.AssignedClass) + kClassSuffix;
      }
      row += 2;
    }
  }
  return grid;
}

model::Grid ShowSameNames(const model::ProgramState& state) {
  return ShowSameNames(state.RangeSets, state.ClassRangeRows, SoundRulesOf(state));
}

}  // namespace tessaly::engine

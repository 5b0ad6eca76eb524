// Condition options of tessaly-cli: the subject choice and the typed or
// one-key bounds, read the way the condition boxes would receive them.

#include <algorithm>
#include <cstdio>

#include "cli/cmd_rules.h"
#include "platform/encoding.h"
#include "rules/key_filters.h"
#include "rules/level_texts.h"

namespace tessaly::cli {
namespace {

// "大于 80" -> operator "大于", value "80"; a text that starts with a digit
// keeps the box's initial operator.
void SplitBound(const std::string& option, const std::string& utf8,
                const std::vector<std::string>& operators, std::string& op, std::string& value) {
  const std::string text = enc::FromUtf8(utf8);
  std::size_t cut = 0;
  while (cut < text.size() && !(text[cut] >= '0' && text[cut] <= '9')) ++cut;
  std::string given = text.substr(0, cut);
  while (!given.empty() && given.back() == ' ') given.pop_back();
  if (!given.empty()) {
    if (std::find(operators.begin(), operators.end(), given) == operators.end()) {
      std::string names;
      for (const auto& o : operators) names += " " + enc::ToUtf8(o);
      throw UsageError{option + " '" + utf8 + "': the operator is one of" + names};
    }
    op = given;
  }
  value = rules::FilterTyped(text.substr(cut), rules::KeepDigitKey);
}

}  // namespace

ConditionArgs TakeConditionArgs(Args& args) {
  ConditionArgs c;
  int choices = 0;
  if (args.Flag("--all-subjects")) {
    c.choice = rules::SubjectChoice::kAllSubjects;
    ++choices;
  }
  if (args.Flag("--total")) {
    c.choice = rules::SubjectChoice::kTotal;
    ++choices;
  }
  const std::vector<std::string> names = args.Options("--subject");
  if (!names.empty()) {
    c.choice = rules::SubjectChoice::kSingle;
    ++choices;
    for (const auto& n : names) c.subjects.push_back(enc::FromUtf8(n));
  }
  if (choices > 1) throw UsageError{"give one of --all-subjects, --total, --subject NAME..."};

  const std::optional<std::string> lower = args.Option("--lower");
  const std::optional<std::string> upper = args.Option("--upper");
  const std::optional<std::vector<std::string>> series = args.Values("--series", 3);
  if (series && (lower || upper)) throw UsageError{"give --lower/--upper or --series, not both"};
  if (series) {
    c.input.one_key = true;
    c.input.series_start = rules::FilterTyped((*series)[0], rules::KeepDigitKey);
    c.input.series_end = rules::FilterTyped((*series)[1], rules::KeepDigitKey);
    c.input.series_step = rules::FilterTyped((*series)[2], rules::KeepDigitKey);
  }
  if (lower) {
    SplitBound("--lower", *lower, {"大于"_gb, "大于等于"_gb}, c.input.lower_op,
               c.input.lower_value);
  }
  if (upper) {
    SplitBound("--upper", *upper, {"小于"_gb, "小于等于"_gb}, c.input.upper_op,
               c.input.upper_value);
  }
  return c;
}

std::vector<bool> TickSubjects(const std::vector<std::string>& items,
                               const std::vector<std::string>& subjects) {
  std::vector<bool> ticked(items.size(), false);
  for (const std::string& s : subjects) {
    const auto it = std::find(items.begin(), items.end(), s);
    if (it == items.end()) {
      std::string known;
      for (const auto& i : items) known += " " + enc::ToUtf8(i);
      throw UsageError{"--subject '" + enc::ToUtf8(s) + "' is not a subject of the main table:" +
                       (known.empty() ? std::string(" (none)") : known)};
    }
    ticked[static_cast<std::size_t>(it - items.begin())] = true;
  }
  return ticked;
}

int TakeLevel(const std::string& name, const std::string& utf8) {
  const std::string text = enc::FromUtf8(utf8);
  const std::vector<std::string> captions = rules::LevelCaptions();
  for (int level = 1; level <= 9; ++level) {
    if (text == std::to_string(level) || text == captions[level - 1] ||
        text == rules::ShortLevelText(level)) {
      return level;
    }
  }
  throw UsageError{name + " '" + utf8 + "': a level is 1 to 9 (or \"3 级\", \"9 级(最高)\")"};
}

int RangeItemIndex(const std::vector<std::string>& items, const std::optional<std::string>& utf8) {
  if (!utf8) return -1;
  const auto it = std::find(items.begin(), items.end(), enc::FromUtf8(*utf8));
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void PrintRangeKeys(const std::vector<std::string>& items) {
  std::string keys;
  for (const auto& k : items) keys += "\n  " + enc::ToUtf8(k);
  std::fprintf(stderr, "--range is one of the range keys:%s\n",
               keys.empty() ? " (no range yet)" : keys.c_str());
}

std::vector<std::string> TakePositionals(Args& args, std::size_t low, std::size_t high,
                                         const char* usage) {
  std::vector<std::string> rest = args.Positional();
  if (rest.size() < low || rest.size() > high) throw UsageError{usage};
  return rest;
}

GridRows TakeGridRows(Args& args, const char* usage) {
  const std::vector<std::string> rest = TakePositionals(args, 1, 2, usage);
  const int first = ParseIntArg("FIRST", rest[0]);
  const int last = rest.size() > 1 ? ParseIntArg("LAST", rest[1]) : first;
  return {std::min(first, last), std::max(first, last)};
}

std::string TakeOut(Args& args) {
  const std::optional<std::string> out = args.Option("-o");
  if (!out) throw UsageError{"give -o OUT.fb"};
  return *out;
}

void NoMoreArgs(Args& args) {
  const std::vector<std::string> left = args.Positional();
  if (!left.empty()) throw UsageError{"unexpected argument '" + left.front() + "'"};
}

}  // namespace tessaly::cli

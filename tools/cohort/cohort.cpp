#include "cohort/cohort.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "model/number_format.h"
#include "model/rule_lists.h"
#include "platform/encoding.h"

namespace tessaly::cohort {
namespace {

// splitmix64: a small generator whose sequence is the same everywhere (the
// standard distributions are not).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  // Uniform in [0, n).
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Unit() * n); }
  bool Chance(double p) { return Unit() < p; }
  // Standard normal (Box-Muller).
  double Normal() {
    double u = 1.0 - Unit();
    double v = Unit();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
  }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[Below(items.size())];
  }

 private:
  std::uint64_t state_;
};

std::vector<std::string> Gb(std::initializer_list<const char*> utf8) {
  std::vector<std::string> out;
  for (const char* s : utf8) out.push_back(enc::FromUtf8(s));
  return out;
}

// Common surnames, the first ones most frequent.
const std::vector<std::string>& Surnames() {
  static const auto k = Gb(
      {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡",
       "郭", "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹",
       "彭", "曾", "肖", "田", "董", "袁", "潘", "于", "蒋", "蔡", "余", "杜", "叶", "程", "苏",
       "魏", "吕", "丁", "任", "沈", "姚", "卢", "姜", "崔", "钟", "谭", "陆", "汪", "范", "金"});
  return k;
}

const std::vector<std::string>& MaleChars() {
  static const auto k =
      Gb({"伟", "强", "磊", "军", "洋", "勇", "杰", "涛", "明", "超", "刚", "平",
          "辉", "鹏", "华", "飞", "鑫", "波", "斌", "宇", "浩", "凯", "健", "俊",
          "帆", "帅", "旭", "宁", "龙", "林", "阳", "博", "文", "志", "建", "国",
          "子", "晨", "天", "一", "嘉", "睿", "泽", "轩", "然", "航", "铭", "昊"});
  return k;
}

const std::vector<std::string>& FemaleChars() {
  static const auto k =
      Gb({"芳", "娜", "敏", "静", "丽", "艳", "娟", "霞", "燕", "玲", "婷", "雪",
          "慧", "颖", "琳", "晶", "洁", "倩", "欣", "悦", "佳", "雨", "涵", "萱",
          "梦", "琪", "怡", "馨", "月", "彤", "妍", "璐", "蕾", "薇", "思", "瑶",
          "诗", "梓", "可", "晓", "文", "子", "一", "嘉", "心", "语", "若", "菲"});
  return k;
}

// Characters of the same sound: a namesake written with one of them sounds
// like the original (张伟 and 章伟).
const std::vector<std::pair<std::string, std::string>>& SameSound() {
  static const auto k = [] {
    std::vector<std::pair<std::string, std::string>> pairs;
    const char* utf8[][2] = {{"张", "章"}, {"王", "汪"}, {"李", "黎"}, {"刘", "柳"}, {"杨", "阳"},
                             {"吴", "伍"}, {"徐", "许"}, {"伟", "威"}, {"静", "靖"}, {"丽", "莉"},
                             {"敏", "民"}, {"杰", "洁"}, {"磊", "蕾"}, {"林", "琳"}, {"晶", "京"},
                             {"婷", "庭"}, {"涛", "韬"}, {"宇", "雨"}, {"佳", "嘉"}, {"欣", "新"}};
    for (auto& p : utf8) pairs.emplace_back(enc::FromUtf8(p[0]), enc::FromUtf8(p[1]));
    return pairs;
  }();
  return k;
}

// The name with one character replaced by a character of the same sound;
// the name itself when none of its characters has one.
std::string SoundAlike(const std::string& name, Random& rng) {
  std::vector<std::string> chars;
  for (std::size_t pos = 0; pos < name.size();) {
    std::size_t n = enc::CharLength(name, pos);
    chars.push_back(name.substr(pos, n));
    pos += n;
  }
  std::vector<std::pair<std::size_t, std::string>> options;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    for (const auto& [a, b] : SameSound()) {
      if (chars[i] == a) options.emplace_back(i, b);
      if (chars[i] == b) options.emplace_back(i, a);
    }
  }
  if (options.empty()) return name;
  const auto& [i, other] = rng.Pick(options);
  chars[i] = other;
  std::string out;
  for (const auto& c : chars) out += c;
  return out;
}

struct Subject {
  const char* name;
  double full;    // full marks
  double mean;    // share of full marks on average
  double spread;  // standard deviation as a share of full marks
  bool halves;    // half points occur
};

const std::vector<Subject>& Subjects() {
  static const std::vector<Subject> k = {
      {"语文", 150, 0.68, 0.10, true},  {"数学", 150, 0.62, 0.18, false},
      {"英语", 150, 0.66, 0.15, true},  {"物理", 100, 0.60, 0.18, false},
      {"化学", 100, 0.63, 0.16, false}, {"生物", 100, 0.66, 0.14, false},
      {"政治", 100, 0.70, 0.10, true},  {"历史", 100, 0.67, 0.12, true},
      {"地理", 100, 0.65, 0.13, false}};
  return k;
}

// A falling band between two bounds: 大于 low 且小于等于 high.
std::string FallingBand(double low, double high) {
  static const std::string kAbove = "大于 "_gb, kUpTo = " 且小于等于 "_gb;
  return kAbove + model::FormatNumber(low) + kUpTo + model::FormatNumber(high);
}

}  // namespace

const std::vector<std::string>& SubjectHeadings() {
  static const std::vector<std::string> k = [] {
    std::vector<std::string> names;
    for (const Subject& s : Subjects()) names.push_back(enc::FromUtf8(s.name));
    return names;
  }();
  return k;
}

model::ProgramState MakeCohort(const CohortOptions& o) {
  if (o.students < 1 || o.ranges < 1 || o.classes.empty() ||
      std::any_of(o.classes.begin(), o.classes.end(), [](int c) { return c < 1; })) {
    throw std::invalid_argument("a cohort needs students, ranges and classes");
  }
  Random rng(o.seed);
  const std::string kMale = "男"_gb, kFemale = "女"_gb;
  const auto boarding = Gb({"住校", "走读"});
  const auto talents = Gb({"无", "无", "无", "无", "无", "无", "体育", "音乐", "美术", "信息学"});
  const auto remarks = Gb({"转学生", "借读", "复读", "特招"});

  model::Student_F table;
  table.TableName = "高一期末考试"_gb;
  table.WeightPercent = 100;
  table.IsMainTable = true;
  model::BiaoTi& h = table.Headings;
  h.NumberHeading = "学号"_gb;
  h.NameHeading = "姓名"_gb;
  h.GenderHeading = "性别"_gb;
  h.PresetClassHeading = "预设班级"_gb;
  h.TotalHeading = "总分"_gb;
  h.NewClassHeading = "新分班级"_gb;
  h.SubjectHeadings = SubjectHeadings();
  h.BalanceHeadings = Gb({"住校", "特长"});
  h.ExtraHeadings = Gb({"备注"});

  const std::size_t n = static_cast<std::size_t>(o.students);
  table.Students.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    model::student& s = table.Students[i];
    s.Number = std::to_string(202500000 + i + 1);
    s.Gender = rng.Chance(0.5) ? kMale : kFemale;
    // Surnames: the first ten take about half of the cohort.
    std::size_t surname = rng.Chance(0.5) ? rng.Below(10) : rng.Below(Surnames().size());
    const auto& pool = s.Gender == kMale ? MaleChars() : FemaleChars();
    s.Name = Surnames()[surname] + rng.Pick(pool);
    if (rng.Chance(0.7)) s.Name += rng.Pick(pool);

    // One ability for all subjects, plus the subject's own part.
    const double ability = rng.Normal();
    double total = 0;
    for (const Subject& sub : Subjects()) {
      double z = 0.75 * ability + 0.66 * rng.Normal();
      double v = sub.full * (sub.mean + sub.spread * z);
      v = std::clamp(v, 0.0, sub.full);
      v = sub.halves ? std::round(v * 2) / 2 : std::round(v);
      if (rng.Chance(0.004)) v = 0;  // missed the exam
      s.Scores.push_back(v);
      total += v;
    }
    s.Total = total;
    s.BalanceValues = {boarding[rng.Chance(0.4) ? 0 : 1], rng.Pick(talents)};
    s.ExtraValues = {rng.Chance(0.05) ? rng.Pick(remarks) : std::string()};
  }

  // Namesakes: a student takes the name of an earlier one, or a name that
  // sounds the same.
  const std::size_t namesakes = static_cast<std::size_t>(std::llround(o.namesake_share * n));
  for (std::size_t k = 0; k < namesakes && n > 1; ++k) {
    std::size_t to = 1 + rng.Below(n - 1);
    std::size_t from = rng.Below(to);
    const std::string& original = table.Students[from].Name;
    table.Students[to].Name = rng.Chance(0.3) ? SoundAlike(original, rng) : original;
  }
  model::RankStudents(table.Students);

  // Class ranges: range 0 takes the best ranks, the others consecutive
  // blocks of student numbers, sizes in proportion to their classes.
  const std::size_t ranges = static_cast<std::size_t>(o.ranges);
  std::vector<int> classes(ranges);
  for (std::size_t r = 0; r < ranges; ++r) classes[r] = o.classes[r % o.classes.size()];
  int all_classes = 0;
  for (int c : classes) all_classes += c;
  model::ProgramState state;
  std::vector<std::string> ids(ranges);
  std::vector<std::string> keys(ranges);
  // member[i]: the range student i falls into, as the division takes them.
  std::vector<std::size_t> member(n, ranges);
  int next_class = 1;
  std::size_t top = ranges == 1 ? n : std::max<std::size_t>(1, n * classes[0] / all_classes);
  int rest_classes = all_classes - classes[0];
  std::size_t block_start = 1;
  for (std::size_t r = 0; r < ranges; ++r) {
    for (int c = 0; c < classes[r]; ++c) ids[r] += std::to_string(next_class++) + ",";
    std::string type, range;
    if (r == 0) {
      type = "按名次"_gb;
      range = "1-" + std::to_string(top) + "-";
    } else {
      std::size_t size = r + 1 == ranges ? n + 1 - block_start
                                         : std::max<std::size_t>(1, n * classes[r] / rest_classes);
      std::size_t end = std::min(n, block_start + size - 1);
      type = "按学号"_gb;
      range = std::to_string(202500000 + block_start) + "-" + std::to_string(202500000 + end) + "-";
      for (std::size_t i = block_start - 1; i < end; ++i) {
        if (member[i] == ranges) member[i] = r;
      }
      block_start = end + 1;
    }
    if (r == 0) {
      for (std::size_t i = 0; i < n; ++i) {
        if (static_cast<std::size_t>(table.Students[i].Rank) <= top) member[i] = 0;
      }
    }
    std::string remark = r == 0 ? "实验班"_gb : std::string();
    state.ClassRangeRows.push_back(type + "|" + range + "|" + std::to_string(classes[r]) + "|" +
                                   ids[r] + "|" + remark + "|");
    keys[r] = model::RangeKey(state.ClassRangeRows.back());
  }

  // Preset classes: one of the classes of the student's own range.
  for (std::size_t i = 0; i < n; ++i) {
    if (member[i] == ranges || !rng.Chance(o.preset_share)) continue;
    auto class_ids = model::ClassIds(ids[member[i]]);
    table.Students[i].PresetClass = rng.Pick(class_ids);
  }

  // Falling bands between quantiles of each range's totals and 数学 scores.
  static const auto levels = Gb({"5 级", "4 级", "3 级", "9 级(最高)", "2 级", "1 级(最低)"});
  const std::string kTotal = "总分"_gb;
  for (std::size_t r = 0; r < ranges; ++r) {
    const int per_item[2] = {(o.bands_per_range + 1) / 2, o.bands_per_range / 2};
    for (int item = 0; item < 2; ++item) {
      std::vector<double> values;
      for (std::size_t i = 0; i < n; ++i) {
        if (member[i] == r) {
          values.push_back(item == 0 ? table.Students[i].Total : table.Students[i].Scores[1]);
        }
      }
      if (values.empty() || per_item[item] == 0) continue;
      std::sort(values.rbegin(), values.rend());
      const int bands = per_item[item];
      for (int b = 0; b < bands; ++b) {
        double high = values[values.size() * b / (bands + 1)];
        double low = values[values.size() * (b + 1) / (bands + 1)];
        if (b == 0) high = item == 0 ? 1050 : 150;  // the top band reaches full marks
        state.BandConditionRows.push_back(
            keys[r] + "$" + (item == 0 ? kTotal : SubjectHeadings()[1]) + "$" +
            FallingBand(low, high) + "$" + levels[(b + item) % levels.size()] + "$");
      }
    }
  }

  // Default balance items, in the order the rules page adds them.
  state.BalanceItemRows.push_back("性别|4 级|"_gb);
  for (const auto& b : h.BalanceHeadings) state.BalanceItemRows.push_back(b + "|4 级|"_gb);
  for (const auto& s : h.SubjectHeadings) state.BalanceItemRows.push_back(s + "|2 级|"_gb);
  state.BalanceItemRows.push_back("总分|2 级|"_gb);
  state.InitialSoundPairs = {"z-zh"};
  state.FinalSoundPairs = {"in-ing"};

  table.StudentCount = static_cast<std::int32_t>(n);
  state.ImportedSets.push_back(std::move(table));
  state.CombineMode = false;
  state.ExpectedSetCount = 1;
  state.DivisionStarted = true;
  state.NextSetSlot = 0;
  return state;
}

}  // namespace tessaly::cohort

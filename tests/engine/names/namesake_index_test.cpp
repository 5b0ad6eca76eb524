#include "engine/names/namesake_index.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/encoding.h"

namespace tessaly::engine {
namespace {

// Compares the running index with the literal test on random placements,
// moves, swaps and removals, over names with many namesakes, names without
// sound and class numbers both small and large.
TEST(NamesakeIndex, MatchesTheLiteralTestOnRandomPlacements) {
  const std::vector<std::string> pool = {"张伟"_gb, "章伟"_gb, "李娜"_gb, "张山"_gb, "张尚"_gb,
                                         "王芳"_gb, ""_gb,     "给"_gb,   "刘洋"_gb, "陈成"_gb};
  const std::vector<int> classes = {-1, 1, 2, 3, 4, 5, 9000, 123456};
  std::mt19937 rng(20261209);
  for (int round = 0; round < 20; ++round) {
    const SoundRules rules =
        round % 2 ? MakeSoundRules({}, {"an-ang"}) : MakeSoundRules({"z-zh"}, {});
    model::Student_F set;
    const int n = 5 + static_cast<int>(rng() % 60);
    for (int i = 0; i < n; ++i) {
      model::student s;
      s.Name = pool[rng() % pool.size()];
      s.AssignedClass = classes[rng() % classes.size()];
      set.Students.push_back(s);
    }
    const model::RuleList rows = BuildSoundKeys(set, rules);
    NamesakeIndex index(set, rules);
    ASSERT_EQ(index.size(), n);
    for (int step = 0; step < 300; ++step) {
      const int pos = static_cast<int>(rng() % n);
      switch (rng() % 4) {
        case 0:
        case 1: {
          const int cls = classes[rng() % classes.size()];
          index.Place(pos, cls);
          set.Students[pos].AssignedClass = cls;
          break;
        }
        case 2:
          index.Unplace(pos);
          set.Students[pos].AssignedClass = -1;
          break;
        default: {
          const int other = static_cast<int>(rng() % n);
          index.Swap(pos, other);
          std::swap(set.Students[pos].AssignedClass, set.Students[other].AssignedClass);
        }
      }
      for (int probe = 0; probe < 4; ++probe) {
        const int s = static_cast<int>(rng() % n);
        const int k = probe == 0 ? set.Students[s].AssignedClass : classes[rng() % classes.size()];
        const int y = 1 + static_cast<int>(rng() % 5);
        ASSERT_EQ(index.Test(s, y, k), SameNameTest(set, rows, s, y, k, rules))
            << "round " << round << " step " << step << " student " << s << " class " << k;
        ASSERT_EQ(index.ClassOf(s), set.Students[s].AssignedClass);
      }
    }
  }
}

TEST(NamesakeIndex, CountsAndTheStudentItself) {
  model::Student_F set;
  for (const auto& [name, cls] :
       std::vector<std::pair<std::string, int>>{{"张伟"_gb, 1}, {"章伟"_gb, -1}, {"张伟"_gb, 2}}) {
    model::student s;
    s.Name = name;
    s.AssignedClass = cls;
    set.Students.push_back(s);
  }
  NamesakeIndex index(set, MakeSoundRules({}, {}));
  EXPECT_EQ(index.Total(1), 3);
  EXPECT_EQ(index.InClass(1, 1), 1);
  EXPECT_EQ(index.Test(1, 3, 1), (NamesakeResult{true, 400}));
  EXPECT_EQ(index.Test(1, 2, 1), (NamesakeResult{false, 200}));
  index.Place(1, 1);
  EXPECT_EQ(index.InClass(0, 1), 2);
  EXPECT_EQ(index.Test(1, 2, 1), (NamesakeResult{true, 400}));
  index.Place(0, 2);  // moved
  EXPECT_EQ(index.InClass(0, 1), 1);
  EXPECT_EQ(index.InClass(0, 2), 2);
  EXPECT_EQ(index.Test(0, 2, 7), NamesakeResult{});  // a class never seen
  EXPECT_EQ(index.Test(0, 0, 2), NamesakeResult{});
  EXPECT_EQ(index.Test(0, 2147483647, 2), (NamesakeResult{true, 400}));
}

}  // namespace
}  // namespace tessaly::engine

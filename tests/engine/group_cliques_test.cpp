// Keep-apart rules chained over several groups: the clique search and the
// division's refusal of the cliques it finds.

#include "engine/group_cliques.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "engine/cohort_builder.h"
#include "engine/division.h"
#include "engine/group_guard.h"
#include "model/student_groups.h"
#include "support/fake_user.h"

namespace tessaly::engine {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

using Graph = std::vector<std::vector<std::int32_t>>;

Graph MakeGraph(std::int32_t n, const std::vector<std::pair<int, int>>& edges) {
  Graph g(static_cast<std::size_t>(n));
  for (auto [a, b] : edges) {
    g[a].push_back(b);
    g[b].push_back(a);
  }
  for (auto& a : g) std::sort(a.begin(), a.end());
  return g;
}

bool IsClique(const Graph& g, const std::vector<std::int32_t>& nodes) {
  for (std::int32_t a : nodes) {
    for (std::int32_t b : nodes) {
      if (a != b && !std::binary_search(g[a].begin(), g[a].end(), b)) return false;
    }
  }
  return true;
}

// The largest clique by trying every subset (small graphs only).
int LargestByBruteForce(const Graph& g) {
  const auto n = static_cast<std::int32_t>(g.size());
  int best = n > 0 ? 1 : 0;
  for (std::uint32_t set = 1; set < (1u << n); ++set) {
    std::vector<std::int32_t> nodes;
    for (std::int32_t v = 0; v < n; ++v) {
      if (set >> v & 1u) nodes.push_back(v);
    }
    if (static_cast<int>(nodes.size()) > best && IsClique(g, nodes)) {
      best = static_cast<int>(nodes.size());
    }
  }
  return best;
}

TEST(CliqueLargerThan, FindsExactlyTheCliquesOfSmallGraphs) {
  // A triangle, a square (no triangle in it) and a path.
  EXPECT_EQ(CliqueLargerThan(MakeGraph(3, {{0, 1}, {1, 2}, {0, 2}}), 2),
            (std::vector<std::int32_t>{0, 1, 2}));
  EXPECT_TRUE(CliqueLargerThan(MakeGraph(4, {{0, 1}, {1, 2}, {2, 3}, {3, 0}}), 2).empty());
  EXPECT_TRUE(CliqueLargerThan(MakeGraph(3, {{0, 1}, {1, 2}}), 2).empty());
  EXPECT_TRUE(CliqueLargerThan(MakeGraph(3, {{0, 1}, {1, 2}, {0, 2}}), 3).empty());
  EXPECT_TRUE(CliqueLargerThan({}, 2).empty());

  std::mt19937 rnd(24);
  for (int round = 0; round < 300; ++round) {
    const auto n = static_cast<std::int32_t>(2 + rnd() % 11);
    std::vector<std::pair<int, int>> edges;
    const unsigned density = 20 + rnd() % 70;
    for (int a = 0; a < n; ++a) {
      for (int b = a + 1; b < n; ++b) {
        if (rnd() % 100 < density) edges.push_back({a, b});
      }
    }
    const Graph g = MakeGraph(n, edges);
    const int largest = LargestByBruteForce(g);
    for (std::int32_t size = 1; size <= n; ++size) {
      const auto clique = CliqueLargerThan(g, size);
      EXPECT_EQ(!clique.empty(), largest > size) << "round " << round << " size " << size;
      if (!clique.empty()) {
        EXPECT_GT(static_cast<std::int32_t>(clique.size()), size);
        EXPECT_TRUE(IsClique(g, clique));
      }
    }
  }
}

TEST(CliqueLargerThan, LargeGraphsGiveOnlyTrueCliques) {
  // 300 nodes: a hidden clique of 12 among sparse random edges.
  std::mt19937 rnd(7);
  const std::int32_t n = 300;
  std::vector<std::pair<int, int>> edges;
  for (int a = 0; a < n; ++a) {
    for (int b = a + 1; b < n; ++b) {
      if (rnd() % 100 < 3) edges.push_back({a, b});
    }
  }
  for (int a = 0; a < 12; ++a) {
    for (int b = a + 1; b < 12; ++b) edges.push_back({a * 20, b * 20});
  }
  Graph g = MakeGraph(n, edges);
  for (auto& a : g) a.erase(std::unique(a.begin(), a.end()), a.end());
  const auto clique = CliqueLargerThan(g, 11);
  ASSERT_EQ(clique.size(), 12u);
  EXPECT_TRUE(IsClique(g, clique));
  EXPECT_TRUE(CliqueLargerThan(g, 40).empty());
}

std::string Row(const std::string& kind, const std::string& numbers) {
  return Gb(kind + "|" + numbers + "||");
}

// Twelve students in one range of `classes` classes.
model::ProgramState Range(std::int32_t classes) {
  CohortBuilder c({"语文"});
  for (int i = 1; i <= 12; ++i) {
    c.Add(std::to_string(i), "学生" + std::to_string(i), i % 2 ? "男" : "女", {100.0 - i});
  }
  std::string ids;
  for (int k = 1; k <= classes; ++k) ids += std::to_string(k) + ",";
  c.Range("按名次|1-12-|" + std::to_string(classes) + "|" + ids + "|");
  return c.State();
}

TEST(GroupDivision, RefusesKeepApartRulesChainedOverTooFewClasses) {
  struct Case {
    std::int32_t classes;
    std::vector<std::string> rows;
    std::vector<std::string> named;  // the groups the message names
  };
  const std::vector<Case> cases = {
      // Three students pairwise apart by three groups, two classes.
      {2,
       {Row("不同班", "1,2,"), Row("不同班", "2,3,"), Row("不同班", "1,3,"), Row("不同班", "5,6,")},
       {"不同班：1 学生1、2 学生2", "不同班：2 学生2、3 学生3", "不同班：1 学生1、3 学生3"}},
      // Apart students joined by a keep-together group into a triangle.
      {2,
       {Row("不同班", "1,2,"), Row("不同班", "3,4,"), Row("不同班", "1,4,"), Row("同班", "2,3,")},
       {"不同班：1 学生1、2 学生2", "不同班：3 学生3、4 学生4", "不同班：1 学生1、4 学生4",
        "同班：2 学生2、3 学生3"}},
      // Four students pairwise apart over groups of three, three classes.
      {3,
       {Row("不同班", "1,2,3,"), Row("不同班", "1,4,"), Row("不同班", "2,4,"),
        Row("不同班", "3,4,")},
       {"不同班：1 学生1、2 学生2、3 学生3", "不同班：1 学生1、4 学生4"}},
  };
  for (const Case& k : cases) {
    model::ProgramState st = Range(k.classes);
    st.GroupRows = k.rows;
    const model::ProgramState before = st;
    FakeUser user;
    Coin coin(1);
    EXPECT_FALSE(bsSkinButton10Click(st, user, coin).completed);
    EXPECT_EQ(st, before);
    ASSERT_EQ(user.Messages().size(), 1u);
    const std::string message = user.Messages()[0];
    EXPECT_EQ(message.rfind("warning: 分班约束无法全部满足，没有分班：", 0), 0u) << message;
    for (const std::string& g : k.named) {
      EXPECT_NE(message.find(g + "：与其他约束连起来，须互不同班的学生多于所在区间的班级个数。"),
                std::string::npos)
          << message;
    }
    EXPECT_EQ(message.find("5 学生5"), std::string::npos) << "a group outside the clique";
  }
}

TEST(GroupDivision, KeepsApartRulesChainedOverEnoughClasses) {
  // A chain and a cycle of four that two classes can keep, and the triangle
  // that three classes can.
  const std::vector<std::pair<std::int32_t, std::vector<std::string>>> cases = {
      {2, {Row("不同班", "1,2,"), Row("不同班", "2,3,"), Row("不同班", "3,4,")}},
      {2,
       {Row("不同班", "1,2,"), Row("不同班", "2,3,"), Row("不同班", "3,4,"),
        Row("不同班", "4,1,")}},
      {3, {Row("不同班", "1,2,"), Row("不同班", "2,3,"), Row("不同班", "1,3,")}},
      {2, {Row("不同班", "1,2,"), Row("同班", "2,5,"), Row("不同班", "5,6,")}},
  };
  for (const auto& [classes, rows] : cases) {
    model::ProgramState st = Range(classes);
    st.GroupRows = rows;
    FakeUser user;
    Coin coin(3);
    ASSERT_TRUE(bsSkinButton10Click(st, user, coin).completed) << user.Messages().size();
    EXPECT_EQ(BrokenGroups(st), std::vector<std::int32_t>{});
  }
}

// Whether the classes 1..classes can be given to students 1..7 so that every
// group holds (by trying every placement).
bool Keepable(const std::vector<model::StudentGroup>& groups, std::int32_t classes) {
  std::vector<std::int32_t> cls(8, 0);
  std::int32_t count = 1;
  for (int i = 0; i < 7; ++i) count *= classes;
  for (std::int32_t code = 0; code < count; ++code) {
    for (std::int32_t i = 1, c = code; i <= 7; ++i, c /= classes) cls[i] = c % classes;
    bool ok = true;
    for (const auto& g : groups) {
      for (std::size_t a = 0; a < g.numbers.size() && ok; ++a) {
        for (std::size_t b = a + 1; b < g.numbers.size() && ok; ++b) {
          const bool same = cls[std::stoi(g.numbers[a])] == cls[std::stoi(g.numbers[b])];
          ok = g.kind == model::GroupKind::kTogether ? same : !same;
        }
      }
    }
    if (ok) return true;
  }
  return false;
}

TEST(GroupDivision, RefusesNoChainOfGroupsThatCanBeKept) {
  // Random groups over students 1..7 of a range of two or three classes:
  // whenever the division names a chain, no placement keeps the groups.
  std::mt19937 rnd(11);
  int refused = 0;
  for (int round = 0; round < 150; ++round) {
    const auto classes = static_cast<std::int32_t>(2 + rnd() % 2);
    std::vector<model::StudentGroup> groups;
    const int count = 2 + static_cast<int>(rnd() % 5);
    for (int g = 0; g < count; ++g) {
      model::StudentGroup group;
      group.kind = rnd() % 4 == 0 ? model::GroupKind::kTogether : model::GroupKind::kApart;
      const int size = 2 + static_cast<int>(rnd() % 2);
      while (static_cast<int>(group.numbers.size()) < size) {
        const std::string n = std::to_string(1 + rnd() % 7);
        if (std::find(group.numbers.begin(), group.numbers.end(), n) == group.numbers.end()) {
          group.numbers.push_back(n);
        }
      }
      groups.push_back(group);
    }
    model::ProgramState st = Range(classes);
    for (const auto& g : groups) st.GroupRows.push_back(model::GroupRow(g));
    FakeUser user;
    Coin coin(1);
    bsSkinButton10Click(st, user, coin);
    const bool chained = !user.Messages().empty() &&
                         user.Messages()[0].find("与其他约束连起来") != std::string::npos;
    if (chained) {
      ++refused;
      EXPECT_FALSE(Keepable(groups, classes)) << "round " << round << ": " << user.Messages()[0];
    }
  }
  EXPECT_GT(refused, 10);
}

}  // namespace
}  // namespace tessaly::engine

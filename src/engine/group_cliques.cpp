#include "engine/group_cliques.h"

#include <algorithm>
#include <bit>

namespace tessaly::engine {
namespace {

using Mask = std::uint64_t;

// Bron-Kerbosch with a pivot over at most 64 nodes as bit masks; stops at
// the first clique of more than `size` nodes or when the steps run out.
struct ExactSearch {
  std::vector<Mask> near;  // per local node: its neighbours
  std::int32_t size = 0;
  std::int64_t steps = 200000;
  Mask found = 0;

  bool Run(Mask clique, Mask candidates, Mask excluded) {
    if (--steps < 0) return false;
    const int have = std::popcount(clique);
    if (have > size) {
      found = clique;
      return true;
    }
    if (have + std::popcount(candidates) <= size) return false;
    const Mask both = candidates | excluded;
    int pivot = std::countr_zero(both);
    int best = -1;
    for (Mask m = both; m != 0; m &= m - 1) {
      const int u = std::countr_zero(m);
      const int n = std::popcount(candidates & near[u]);
      if (n > best) best = n, pivot = u;
    }
    for (Mask m = candidates & ~near[pivot]; m != 0; m &= m - 1) {
      const int v = std::countr_zero(m);
      const Mask bit = Mask{1} << v;
      if (Run(clique | bit, candidates & near[v], excluded & near[v])) return true;
      candidates &= ~bit;
      excluded |= bit;
    }
    return false;
  }
};

// Grows a clique from every node in turn, always by the candidate with the
// most neighbours among the candidates left.
std::vector<std::int32_t> Greedy(const std::vector<std::vector<std::int32_t>>& adjacent,
                                 const std::vector<std::int32_t>& nodes, std::int32_t size) {
  auto joined = [&](std::int32_t a, std::int32_t b) {
    return std::binary_search(adjacent[a].begin(), adjacent[a].end(), b);
  };
  for (std::int32_t start : nodes) {
    std::vector<std::int32_t> clique{start};
    std::vector<std::int32_t> candidates;
    for (std::int32_t v : adjacent[start]) {
      if (std::binary_search(nodes.begin(), nodes.end(), v)) candidates.push_back(v);
    }
    while (!candidates.empty()) {
      std::int32_t best = candidates.front(), most = -1;
      for (std::int32_t u : candidates) {
        std::int32_t n = 0;
        for (std::int32_t w : candidates) n += joined(u, w) ? 1 : 0;
        if (n > most) most = n, best = u;
      }
      clique.push_back(best);
      std::erase_if(candidates, [&](std::int32_t w) { return w == best || !joined(best, w); });
    }
    if (static_cast<std::int32_t>(clique.size()) > size) {
      std::sort(clique.begin(), clique.end());
      return clique;
    }
  }
  return {};
}

}  // namespace

std::vector<std::int32_t> CliqueLargerThan(const std::vector<std::vector<std::int32_t>>& adjacent,
                                           std::int32_t size) {
  const auto n = static_cast<std::int32_t>(adjacent.size());
  if (size < 0) size = 0;
  if (n <= size) return {};
  // A node of a clique of more than `size` nodes has at least `size`
  // neighbours in it: leave out, again and again, nodes with fewer.
  std::vector<char> kept(static_cast<std::size_t>(n), 1);
  std::vector<std::int32_t> degree(static_cast<std::size_t>(n));
  std::vector<std::int32_t> drop;
  for (std::int32_t v = 0; v < n; ++v) {
    degree[v] = static_cast<std::int32_t>(adjacent[v].size());
    if (degree[v] < size) {
      kept[v] = 0;
      drop.push_back(v);
    }
  }
  while (!drop.empty()) {
    const std::int32_t v = drop.back();
    drop.pop_back();
    for (std::int32_t u : adjacent[v]) {
      if (kept[u] && --degree[u] < size) {
        kept[u] = 0;
        drop.push_back(u);
      }
    }
  }
  // Each connected part of what is left is searched on its own.
  std::vector<char> seen(static_cast<std::size_t>(n), 0);
  for (std::int32_t root = 0; root < n; ++root) {
    if (!kept[root] || seen[root]) continue;
    std::vector<std::int32_t> part{root};
    seen[root] = 1;
    for (std::size_t i = 0; i < part.size(); ++i) {
      for (std::int32_t u : adjacent[part[i]]) {
        if (kept[u] && !seen[u]) {
          seen[u] = 1;
          part.push_back(u);
        }
      }
    }
    if (static_cast<std::int32_t>(part.size()) <= size) continue;
    std::sort(part.begin(), part.end());
    if (part.size() <= 64) {
      ExactSearch search;
      search.size = size;
      search.near.assign(part.size(), 0);
      for (std::size_t i = 0; i < part.size(); ++i) {
        for (std::int32_t u : adjacent[part[i]]) {
          auto it = std::lower_bound(part.begin(), part.end(), u);
          if (it != part.end() && *it == u) search.near[i] |= Mask{1} << (it - part.begin());
        }
      }
      const Mask all = part.size() == 64 ? ~Mask{0} : (Mask{1} << part.size()) - 1;
      if (search.Run(0, all, 0)) {
        std::vector<std::int32_t> clique;
        for (Mask m = search.found; m != 0; m &= m - 1) clique.push_back(part[std::countr_zero(m)]);
        return clique;
      }
      if (search.steps >= 0) continue;  // searched to the end: none here
    }
    auto clique = Greedy(adjacent, part, size);
    if (!clique.empty()) return clique;
  }
  return {};
}

}  // namespace tessaly::engine

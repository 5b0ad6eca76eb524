#pragma once
// Keep-apart rules chained over several groups: students (or keep-together
// units) that must pairwise be in different classes form a clique of the
// graph whose edges are the keep-apart pairs. A clique of more nodes than
// the range has classes cannot be kept by any placement. Finding the
// largest clique is hard in general, so the search is exact only where it
// is small and greedy beyond: what it finds is always a true clique (a
// refusal is never wrong), but a large clique hidden in a large, dense
// tangle of groups may be missed (the division then relaxes the rule and
// reports the broken group).

#include <cstdint>
#include <vector>

namespace tessaly::engine {

// Nodes 0..adjacent.size()-1; adjacent[v] the nodes joined to v (ascending,
// without v). A clique of more than `size` nodes (ascending), or empty when
// none is found. Exact for every part of the graph that keeps at most 64
// nodes once the nodes of too few edges are left out (within a bounded
// number of search steps); greedy beyond.
std::vector<std::int32_t> CliqueLargerThan(const std::vector<std::vector<std::int32_t>>& adjacent,
                                           std::int32_t size);

}  // namespace tessaly::engine

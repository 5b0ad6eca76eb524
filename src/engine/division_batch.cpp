#include "engine/division_batch.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "model/number_format.h"

namespace tessaly::engine {

std::vector<std::int32_t> PickBatch(const model::Student_F& set, std::int32_t class_count) {
  std::vector<std::int32_t> picked;
  const auto& st = set.Students;
  const auto n = static_cast<std::int32_t>(st.size());
  if (class_count < 1) return picked;
  auto placed = [&](std::int32_t i) { return st[i].AssignedClass >= 0; };

  std::int32_t first_preset = -1;
  for (std::int32_t i = 0; i < n; ++i) {
    if (!placed(i) && st[i].PresetClass >= 0) {
      first_preset = i;
      break;
    }
  }
  if (first_preset >= 0) {
    const std::int32_t start = (first_preset / class_count) * class_count;
    std::set<std::int32_t> taken;
    auto consider = [&](std::int32_t i) {
      if (placed(i)) return;
      if (st[i].PresetClass >= 0) {
        if (!taken.insert(st[i].PresetClass).second) return;
      }
      picked.push_back(i);
    };
    for (std::int32_t i = start; i < n && static_cast<std::int32_t>(picked.size()) < class_count;
         ++i) {
      consider(i);
    }
    if (static_cast<std::int32_t>(picked.size()) < class_count) {
      // The backward walk only avoids repeating a preset class among its own
      // picks.
      taken.clear();
      for (std::int32_t i = start - 1;
           i >= 0 && static_cast<std::int32_t>(picked.size()) < class_count; --i) {
        consider(i);
      }
    }
    return picked;
  }

  std::int32_t first = -1, last = -1;
  for (std::int32_t i = 0; i < n; ++i) {
    if (!placed(i)) {
      first = i;
      break;
    }
  }
  if (first < 0) return picked;
  for (std::int32_t i = n - 1; i >= 0; --i) {
    if (!placed(i)) {
      last = i;
      break;
    }
  }
  // Whole tenths of the set used up from the strong and from the weak end.
  const std::int64_t top = (10LL * (first + 1)) / n;
  const std::int64_t bottom = (10LL * (n - 1 - last)) / n;
  if (bottom < top) {
    for (std::int32_t i = last; i >= 0 && static_cast<std::int32_t>(picked.size()) < class_count;
         --i) {
      if (!placed(i)) picked.push_back(i);
    }
  } else {
    for (std::int32_t i = first; i < n && static_cast<std::int32_t>(picked.size()) < class_count;
         ++i) {
      if (!placed(i)) picked.push_back(i);
    }
  }
  return picked;
}

Coin::Coin(std::optional<std::uint32_t> seed) {
  if (seed) {
    gen_.seed(*seed);
  } else {
    std::random_device rd;
    gen_.seed(rd());
  }
}

bool Coin::DropFirst() {
  return (static_cast<std::uint32_t>(gen_()) & 1u) != 0;
}

namespace {

constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();

// True when a < b can be decided without reading the numbers back: a gap of
// this size survives rounding both to 15 significant digits.
bool ClearlyBelow(double a, double b) {
  return b - a > 4e-14 * std::max(std::fabs(a), std::fabs(b));
}

}  // namespace

double FastReadBack(double value) {
  if (!std::isfinite(value)) return value;
  if (value == std::trunc(value) && std::fabs(value) < 1e15) return value;
  // The same 15 significant digits as "%.14e", correctly rounded both ways.
  char buf[64];
  auto written = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  double out = value;
  if (std::from_chars(buf, written.ptr, out).ec != std::errc()) {
    return model::ReadBack(value);  // beyond the range of doubles either way
  }
  return out;
}

double CandidateList::CostAt(std::size_t i) {
  std::size_t k = head + i;
  if (std::isnan(read_back[k])) read_back[k] = FastReadBack(entries[k].cost);
  return read_back[k];
}

CandidateList SortCandidates(std::vector<Candidate> entries) {
  // Reading back is monotone, so the order by raw cost is also ordered by
  // read-back cost; only neighbours that might read back equal need the
  // read-back, and a run of equal read-back costs goes back to pick order.
  std::vector<std::size_t> order(entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return entries[a].cost < entries[b].cost; });
  CandidateList list;
  list.read_back.assign(entries.size(), kUnknown);
  std::vector<double> rb(entries.size(), kUnknown);
  auto read = [&](std::size_t i) {
    if (std::isnan(rb[i])) rb[i] = FastReadBack(entries[i].cost);
    return rb[i];
  };
  std::size_t run_start = 0;
  for (std::size_t i = 1; i <= order.size(); ++i) {
    bool same = false;
    if (i < order.size()) {
      double a = entries[order[i - 1]].cost, b = entries[order[i]].cost;
      same = a == b || (!ClearlyBelow(a, b) && read(order[i - 1]) == read(order[i]));
    }
    if (!same) {
      if (i - run_start > 1) std::sort(order.begin() + run_start, order.begin() + i);
      run_start = i;
    }
  }
  list.entries.reserve(entries.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    list.entries.push_back(entries[order[k]]);
    list.read_back[k] = rb[order[k]];
  }
  return list;
}

void SettleConflicts(std::vector<CandidateList>& lists, Coin& coin) {
  const std::size_t y = lists.size();
  // The fixed order: non-empty classes by the cost of their first candidate.
  std::vector<std::size_t> order;
  for (std::size_t p = 0; p < y; ++p) {
    if (!lists[p].Empty()) order.push_back(p);
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return lists[a].CostAt(0) < lists[b].CostAt(0);
  });
  std::vector<std::size_t> rank(y, 0);
  for (std::size_t i = 0; i < order.size(); ++i) rank[order[i]] = i;

  // holders[s]: the classes whose first candidate is s, by class index.
  // conflicted: ranks of the classes whose first candidate is wanted by
  // another class too. The smallest rank is the next class A.
  std::map<std::int32_t, std::set<std::size_t>> holders;
  std::set<std::size_t> conflicted;
  auto head_of = [&](std::size_t p) { return lists[p].entries[lists[p].head].who; };
  auto join = [&](std::size_t p) {
    auto& h = holders[head_of(p)];
    h.insert(p);
    if (h.size() == 2) {
      for (std::size_t q : h) conflicted.insert(rank[q]);
    } else if (h.size() > 2) {
      conflicted.insert(rank[p]);
    }
  };
  auto leave = [&](std::size_t p) {
    auto it = holders.find(head_of(p));
    it->second.erase(p);
    conflicted.erase(rank[p]);
    if (it->second.size() == 1) conflicted.erase(rank[*it->second.begin()]);
    if (it->second.empty()) holders.erase(it);
  };
  for (std::size_t p : order) join(p);

  auto drop = [&](std::size_t p) {
    leave(p);
    ++lists[p].head;
    if (!lists[p].Empty()) join(p);
  };
  while (!conflicted.empty()) {
    const std::size_t a = order[*conflicted.begin()];
    const auto& h = holders[head_of(a)];
    std::size_t b = *h.begin() == a ? *std::next(h.begin()) : *h.begin();
    CandidateList& la = lists[a];
    CandidateList& lb = lists[b];
    bool drop_a;
    if (la.Size() >= 2 && lb.Size() >= 2) {
      double keep_a = la.CostAt(0) + lb.CostAt(1);
      double keep_b = la.CostAt(1) + lb.CostAt(0);
      if (keep_b > keep_a) {
        drop_a = false;
      } else if (keep_b < keep_a) {
        drop_a = true;
      } else {
        drop_a = coin.DropFirst();
      }
    } else if (la.Size() == 1 && lb.Size() >= 2) {
      drop_a = false;
    } else if (la.Size() >= 2 && lb.Size() == 1) {
      drop_a = true;
    } else {
      double a1 = la.CostAt(0), b1 = lb.CostAt(0);
      if (a1 < b1) {
        drop_a = false;
      } else if (a1 > b1) {
        drop_a = true;
      } else {
        drop_a = coin.DropFirst();
      }
    }
    drop(drop_a ? a : b);
  }
}

}  // namespace tessaly::engine

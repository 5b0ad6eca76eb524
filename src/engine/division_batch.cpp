#include "engine/division_batch.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
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
  // A cost without a value (averages overflowed by absurd scores) orders
  // with nothing: such entries go last, in pick order.
  std::vector<std::pair<double, std::uint32_t>> order;
  std::vector<std::uint32_t> unpriced;
  order.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (std::isnan(entries[i].cost)) {
      unpriced.push_back(static_cast<std::uint32_t>(i));
    } else {
      order.push_back({entries[i].cost, static_cast<std::uint32_t>(i)});
    }
  }
  std::sort(order.begin(), order.end());
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
      const double a = order[i - 1].first, b = order[i].first;
      same = a == b || (!ClearlyBelow(a, b) && read(order[i - 1].second) == read(order[i].second));
    }
    if (!same) {
      if (i - run_start > 1 && order[run_start].first != order[i - 1].first) {
        std::sort(order.begin() + static_cast<std::ptrdiff_t>(run_start),
                  order.begin() + static_cast<std::ptrdiff_t>(i),
                  [](const auto& x, const auto& y) { return x.second < y.second; });
      }
      run_start = i;
    }
  }
  for (std::uint32_t i : unpriced) order.push_back({entries[i].cost, i});
  list.entries.reserve(entries.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    list.entries.push_back(entries[order[k].second]);
    list.read_back[k] = rb[order[k].second];
  }
  return list;
}

namespace {

// A set of small numbers (class indices, ranks) as bits, with its size and
// its smallest member.
class BitSet {
 public:
  explicit BitSet(std::size_t n = 0) : words_((n + 63) / 64, 0) {}
  bool Insert(std::size_t i) {
    std::uint64_t& w = words_[i / 64];
    const std::uint64_t bit = std::uint64_t{1} << (i % 64);
    if (w & bit) return false;
    w |= bit;
    ++size_;
    return true;
  }
  void Erase(std::size_t i) {
    std::uint64_t& w = words_[i / 64];
    const std::uint64_t bit = std::uint64_t{1} << (i % 64);
    if (!(w & bit)) return;
    w &= ~bit;
    --size_;
  }
  std::size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  // The smallest member other than `skip` (pass npos to skip nothing).
  std::size_t First(std::size_t skip = static_cast<std::size_t>(-1)) const {
    for (std::size_t k = 0; k < words_.size(); ++k) {
      std::uint64_t w = words_[k];
      if (skip / 64 == k) w &= ~(std::uint64_t{1} << (skip % 64));
      if (w != 0) return k * 64 + static_cast<std::size_t>(__builtin_ctzll(w));
    }
    return static_cast<std::size_t>(-1);
  }

 private:
  std::vector<std::uint64_t> words_;
  std::size_t size_ = 0;
};

}  // namespace

void SettleConflicts(std::vector<CandidateList>& lists, Coin& coin) {
  const std::size_t y = lists.size();
  // The fixed order: non-empty classes by the cost of their first candidate.
  std::vector<std::size_t> order;
  for (std::size_t p = 0; p < y; ++p) {
    if (!lists[p].Empty()) order.push_back(p);
  }
  // Classes whose first cost has no value come last.
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const double ca = lists[a].CostAt(0), cb = lists[b].CostAt(0);
    return ca < cb || (!std::isnan(ca) && std::isnan(cb));
  });
  std::vector<std::size_t> rank(y, 0);
  for (std::size_t i = 0; i < order.size(); ++i) rank[order[i]] = i;

  // Students as dense numbers: `who` directly when small, else by rank.
  std::int64_t max_who = -1;
  bool small = true;
  for (const auto& l : lists) {
    for (std::size_t i = l.head; i < l.entries.size(); ++i) {
      if (l.entries[i].who < 0 || l.entries[i].who > 65535) small = false;
      max_who = std::max<std::int64_t>(max_who, l.entries[i].who);
    }
  }
  std::vector<std::int32_t> known;
  if (!small) {
    for (const auto& l : lists) {
      for (std::size_t i = l.head; i < l.entries.size(); ++i) known.push_back(l.entries[i].who);
    }
    std::sort(known.begin(), known.end());
    known.erase(std::unique(known.begin(), known.end()), known.end());
  }
  const std::size_t students = small ? static_cast<std::size_t>(max_who + 1) : known.size();
  auto dense = [&](std::int32_t who) {
    return small ? static_cast<std::size_t>(who)
                 : static_cast<std::size_t>(std::lower_bound(known.begin(), known.end(), who) -
                                            known.begin());
  };

  // holders[s]: the classes whose first candidate is s. conflicted: ranks of
  // the classes whose first candidate another class wants too; the smallest
  // is the next class A.
  std::vector<BitSet> holders(students, BitSet(y));
  BitSet conflicted(y);
  auto head_of = [&](std::size_t p) { return dense(lists[p].entries[lists[p].head].who); };
  auto join = [&](std::size_t p) {
    BitSet& h = holders[head_of(p)];
    h.Insert(p);
    if (h.Size() == 2) {
      conflicted.Insert(rank[h.First()]);
      conflicted.Insert(rank[h.First(h.First())]);
    } else if (h.Size() > 2) {
      conflicted.Insert(rank[p]);
    }
  };
  auto leave = [&](std::size_t p) {
    BitSet& h = holders[head_of(p)];
    h.Erase(p);
    conflicted.Erase(rank[p]);
    if (h.Size() == 1) conflicted.Erase(rank[h.First()]);
  };
  for (std::size_t p : order) join(p);

  while (!conflicted.Empty()) {
    const std::size_t a = order[conflicted.First()];
    const std::size_t b = holders[head_of(a)].First(a);
    CandidateList& la = lists[a];
    CandidateList& lb = lists[b];
    bool drop_a;
    if (la.Size() >= 2 && lb.Size() >= 2) {
      const double keep_a = la.CostAt(0) + lb.CostAt(1);
      const double keep_b = la.CostAt(1) + lb.CostAt(0);
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
      const double a1 = la.CostAt(0), b1 = lb.CostAt(0);
      if (a1 < b1) {
        drop_a = false;
      } else if (a1 > b1) {
        drop_a = true;
      } else {
        drop_a = coin.DropFirst();
      }
    }
    const std::size_t p = drop_a ? a : b;
    leave(p);
    ++lists[p].head;
    if (!lists[p].Empty()) join(p);
  }
}

}  // namespace tessaly::engine

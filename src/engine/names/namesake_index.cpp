#include "engine/names/namesake_index.h"

#include <cassert>
#include <string_view>

namespace tessaly::engine {
namespace {

// Class numbers below this get a slot by direct look-up.
constexpr std::int32_t kSmallClasses = 4096;

}  // namespace

NamesakeIndex::NamesakeIndex(const model::Student_F& set, const SoundRules& rules)
    : NamesakeIndex(BuildSoundKeys(set, rules), set) {}

NamesakeIndex::NamesakeIndex(const model::RuleList& keys, const model::Student_F& set) {
  const std::size_t n = keys.size();
  // Count every key; an empty key stands for a name without sound and is
  // never a namesake.
  std::unordered_map<std::string_view, std::int32_t> totals;
  for (const auto& key : keys) {
    if (!key.empty()) ++totals[key];
  }
  // Only keys shared by two students or more need counts per class.
  std::unordered_map<std::string_view, std::int32_t> ids;
  key_of_.assign(n, -1);
  total_at_.assign(n, 0);
  class_of_.assign(n, -1);
  for (std::size_t i = 0; i < n; ++i) {
    if (keys[i].empty()) continue;
    total_at_[i] = totals[keys[i]];
    if (total_at_[i] < 2) continue;
    auto [it, added] = ids.emplace(keys[i], key_count_);
    if (added) ++key_count_;
    key_of_[i] = it->second;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::int32_t cls = i < set.Students.size() ? set.Students[i].AssignedClass : -1;
    class_of_[i] = cls;
    if (key_of_[i] >= 0) ++counts_[Cell(SlotFor(cls), key_of_[i])];
  }
}

std::int32_t NamesakeIndex::SlotOf(std::int32_t cls) const {
  if (cls >= 0 && cls < kSmallClasses) {
    return static_cast<std::size_t>(cls) < small_slot_.size() ? small_slot_[cls] : -1;
  }
  const auto it = large_slot_.find(cls);
  return it == large_slot_.end() ? -1 : it->second;
}

std::int32_t NamesakeIndex::SlotFor(std::int32_t cls) {
  std::int32_t slot = SlotOf(cls);
  if (slot >= 0) return slot;
  slot = slot_count_++;
  if (cls >= 0 && cls < kSmallClasses) {
    if (small_slot_.size() <= static_cast<std::size_t>(cls)) small_slot_.resize(cls + 1, -1);
    small_slot_[cls] = slot;
  } else {
    large_slot_.emplace(cls, slot);
  }
  counts_.resize(static_cast<std::size_t>(slot_count_) * key_count_, 0);
  return slot;
}

void NamesakeIndex::Place(std::int32_t pos, std::int32_t cls) {
  assert(pos >= 0 && pos < size());
  const std::int32_t old = class_of_[pos];
  if (old == cls) return;
  class_of_[pos] = cls;
  const std::int32_t key = key_of_[pos];
  if (key < 0) return;
  --counts_[Cell(SlotOf(old), key)];
  ++counts_[Cell(SlotFor(cls), key)];
}

void NamesakeIndex::Swap(std::int32_t a, std::int32_t b) {
  const std::int32_t ca = class_of_[a];
  const std::int32_t cb = class_of_[b];
  Place(a, cb);
  Place(b, ca);
}

std::int32_t NamesakeIndex::Total(std::int32_t pos) const {
  return total_at_[pos];
}

std::int32_t NamesakeIndex::InClass(std::int32_t pos, std::int32_t cls) const {
  const std::int32_t key = key_of_[pos];
  if (key < 0) return 0;
  const std::int32_t slot = SlotOf(cls);
  return slot < 0 ? 0 : counts_[Cell(slot, key)];
}

NamesakeResult NamesakeIndex::Test(std::int32_t pos, std::int32_t class_count,
                                   std::int32_t cls) const {
  if (pos < 0 || pos >= size()) return {};
  const std::int32_t total = Total(pos);
  if (total <= 1 || class_count < 1) return {};
  const std::int32_t in_class = InClass(pos, cls);
  const std::int32_t share = total / class_count + (total % class_count != 0 ? 1 : 0);
  if (in_class >= share) return {true, 400.0};
  return {false, static_cast<double>(in_class) / share * 400.0};
}

}  // namespace tessaly::engine

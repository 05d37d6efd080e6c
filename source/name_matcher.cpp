// Aho–Corasick automaton whose states carry the least table index of every name that ends
// at them or at any state on their failure chain.
#include "source/name_matcher.h"

#include <algorithm>
#include <deque>

namespace zel::source {

FirstNameMatcher::FirstNameMatcher(const std::vector<U16>& names) : nodes_(1), rootNext_(65536, 0) {
  std::vector<std::vector<std::pair<char16_t, int32_t>>> children(1);
  for (size_t index = 0; index < names.size(); ++index) {
    const U16& name = names[index];
    if (name.empty()) continue;
    int32_t state = 0;
    for (char16_t unit : name) {
      if (int32_t existing = step(state, unit); existing != 0) {
        state = existing;
        continue;
      }
      const auto child = static_cast<int32_t>(nodes_.size());
      nodes_.emplace_back();
      children.emplace_back();
      children[static_cast<size_t>(state)].emplace_back(unit, child);
      if (state == 0) rootNext_[unit] = child;
      else next_.emplace(key(state, unit), child);
      state = child;
    }
    Node& end = nodes_[static_cast<size_t>(state)];
    end.best = std::min<int32_t>(end.best, static_cast<int32_t>(index));  // a repeated name keeps its first index
  }
  // Breadth first, so each failure target is complete before its dependents.
  std::deque<int32_t> queue;
  for (const auto& [unit, child] : children[0]) queue.push_back(child);
  while (!queue.empty()) {
    const int32_t state = queue.front();
    queue.pop_front();
    for (const auto& [unit, child] : children[static_cast<size_t>(state)]) {
      int32_t f = nodes_[static_cast<size_t>(state)].fail;
      int32_t target = step(f, unit);
      while (target == 0 && f != 0) {
        f = nodes_[static_cast<size_t>(f)].fail;
        target = step(f, unit);
      }
      Node& node = nodes_[static_cast<size_t>(child)];
      node.fail = target;
      node.best = std::min(node.best, nodes_[static_cast<size_t>(target)].best);
      queue.push_back(child);
    }
  }
}

// The goto function alone: 0 when the state has no transition on unit.
int32_t FirstNameMatcher::step(int32_t state, char16_t unit) const {
  if (state == 0) return rootNext_[unit];
  auto it = next_.find(key(state, unit));
  return it == next_.end() ? 0 : it->second;
}

long FirstNameMatcher::firstIn(U16V text) const {
  int32_t best = kNone;
  int32_t state = 0;
  for (char16_t unit : text) {
    int32_t target = step(state, unit);
    while (target == 0 && state != 0) {
      state = nodes_[static_cast<size_t>(state)].fail;
      target = step(state, unit);
    }
    state = target;
    best = std::min(best, nodes_[static_cast<size_t>(state)].best);
    if (best == 0) break;
  }
  return best == kNone ? -1 : best;
}

}  // namespace zel::source

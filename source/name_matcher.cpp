// Aho–Corasick automaton whose states carry the least table index of every name that ends
// at them or at any state on their failure chain.
#include "source/name_matcher.h"

#include <algorithm>
#include <deque>
#include <utility>

namespace zel::source {

namespace {
// Above this many transitions a state's run is searched by halving instead of in order.
constexpr uint32_t kLinearSearchLimit = 8;
}  // namespace

FirstNameMatcher::FirstNameMatcher(const std::vector<U16>& names) : nodes_(1), rootNext_(65536, 0) {
  // The trie, with each state's transitions in a small list while it grows.
  std::vector<std::vector<std::pair<char16_t, int32_t>>> children(1);
  for (size_t index = 0; index < names.size(); ++index) {
    const U16& name = names[index];
    if (name.empty()) continue;
    int32_t state = 0;
    for (char16_t unit : name) {
      int32_t next = 0;
      if (state == 0) {
        next = rootNext_[unit];
      } else {
        for (const auto& [u, child] : children[static_cast<size_t>(state)])
          if (u == unit) next = child;
      }
      if (next == 0) {
        next = static_cast<int32_t>(nodes_.size());
        nodes_.emplace_back();
        children.emplace_back();
        children[static_cast<size_t>(state)].emplace_back(unit, next);
        if (state == 0) rootNext_[unit] = next;
      }
      state = next;
    }
    Node& end = nodes_[static_cast<size_t>(state)];
    end.best = std::min<int32_t>(end.best, static_cast<int32_t>(index));  // a repeated name keeps its first index
  }
  // Flatten the transitions of the non-root states.
  for (size_t s = 1; s < nodes_.size(); ++s) {
    auto& kids = children[s];
    std::sort(kids.begin(), kids.end());
    nodes_[s].edgeBegin = static_cast<uint32_t>(units_.size());
    for (const auto& [unit, child] : kids) {
      units_.push_back(unit);
      targets_.push_back(child);
    }
    nodes_[s].edgeEnd = static_cast<uint32_t>(units_.size());
  }
  // Failure links breadth first, so each failure target is complete before its dependents.
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
  const Node& node = nodes_[static_cast<size_t>(state)];
  if (node.edgeEnd - node.edgeBegin <= kLinearSearchLimit) {
    for (uint32_t i = node.edgeBegin; i < node.edgeEnd; ++i)
      if (units_[i] == unit) return targets_[i];
    return 0;
  }
  const auto first = units_.begin() + node.edgeBegin, last = units_.begin() + node.edgeEnd;
  const auto it = std::lower_bound(first, last, unit);
  return (it != last && *it == unit) ? targets_[static_cast<size_t>(it - units_.begin())] : 0;
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

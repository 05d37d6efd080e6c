// Finds which of many procedure names occurs in a line, preferring the earliest table entry,
// in one pass over the line (Aho–Corasick over UTF-16 units). It answers exactly what
// testing each name in table order with InStr would, without the cost of names × lines.
#pragma once
#include "source/source_text.h"

#include <cstdint>
#include <vector>

namespace zel::source {

class FirstNameMatcher {
 public:
  // Empty names are left out (they would occur in every line).
  explicit FirstNameMatcher(const std::vector<U16>& names);

  // Index of the first name of the table that occurs anywhere in text (exact case), or -1.
  long firstIn(U16V text) const;

 private:
  static constexpr int32_t kNone = INT32_MAX;
  struct Node {
    int32_t fail = 0;
    int32_t best = kNone;     // least table index over this state's output chain
    uint32_t edgeBegin = 0;   // this state's transitions: [edgeBegin, edgeEnd) of units_/targets_
    uint32_t edgeEnd = 0;
  };
  int32_t step(int32_t state, char16_t unit) const;

  std::vector<Node> nodes_;
  std::vector<int32_t> rootNext_;  // transitions of the root, by unit (0 = stay at the root)
  // Transitions of the other states in one flat array, sorted by unit within each state,
  // so a lookup touches one short contiguous run instead of a hash table.
  std::vector<char16_t> units_;
  std::vector<int32_t> targets_;
};

}  // namespace zel::source

// Finds which of many procedure names occurs in a line, preferring the earliest table entry,
// in one pass over the line (Aho–Corasick over UTF-16 units). It answers exactly what
// testing each name in table order with InStr would, without the cost of names × lines.
#pragma once
#include "source/source_text.h"

#include <cstdint>
#include <unordered_map>
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
    int32_t best = kNone;  // least table index over this state's output chain
  };
  int32_t step(int32_t state, char16_t unit) const;
  static uint64_t key(int32_t state, char16_t unit) { return (static_cast<uint64_t>(state) << 16) | unit; }

  std::vector<Node> nodes_;
  std::vector<int32_t> rootNext_;                 // transitions of the root, by unit (0 = stay)
  std::unordered_map<uint64_t, int32_t> next_;    // transitions of the other states
};

}  // namespace zel::source

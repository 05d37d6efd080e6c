// Integers in attributes and element text as XML Schema writes them (xsd:int, xsd:unsignedInt,
// ST_Coordinate): white space around them is ignored, a "+" or "-" may lead, then decimal
// digits and nothing else. The package readers take every small number through here.
#pragma once
#include <charconv>
#include <concepts>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zel::xls::ooxml {

constexpr bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

constexpr std::string_view xmlTrimmed(std::string_view s) {
  while (!s.empty() && isXmlSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isXmlSpace(s.back())) s.remove_suffix(1);
  return s;
}

namespace detail {
// The digits, after a "-" when there is one; nullopt when the text has no integer's form.
constexpr std::optional<std::string_view> integerForm(std::string_view s) {
  s = xmlTrimmed(s);
  size_t first = 0;
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  else if (!s.empty() && s.front() == '-') first = 1;
  if (s.size() == first) return std::nullopt;
  for (size_t i = first; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
  return s;
}
}  // namespace detail

// The value, or nullopt when the text is no integer or T cannot hold it.
template <std::integral T>
std::optional<T> xmlInteger(std::string_view s) {
  const auto form = detail::integerForm(s);
  if (!form) return std::nullopt;
  T v{};
  auto [p, ec] = std::from_chars(form->data(), form->data() + form->size(), v);
  if (ec != std::errc() || p != form->data() + form->size()) return std::nullopt;
  return v;
}

// The value limited to [lo, hi]; an integer too long for 64 bits ends on the bound its sign
// points to. Nullopt when the text is no integer.
inline std::optional<int64_t> xmlIntegerWithin(std::string_view s, int64_t lo, int64_t hi) {
  const auto form = detail::integerForm(s);
  if (!form) return std::nullopt;
  int64_t v = 0;
  auto [p, ec] = std::from_chars(form->data(), form->data() + form->size(), v);
  if (ec == std::errc::result_out_of_range) return form->front() == '-' ? lo : hi;
  if (ec != std::errc() || p != form->data() + form->size()) return std::nullopt;
  return v < lo ? lo : v > hi ? hi : v;
}

}  // namespace zel::xls::ooxml

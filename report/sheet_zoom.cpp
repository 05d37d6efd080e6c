// Zoom validation for the sheet print, done before the sheet or its setup is touched.
#include "report/sheet_zoom.h"

#include "core/vb_error.h"
#include "report/text_measure.h"

namespace zel::report {
namespace {

constexpr long kTypeMismatch = 13;
constexpr long kZoomRefused = 1004;
constexpr int kMaxDigits = 6;

std::string rangeText() {
  return "ズームには " + std::to_string(kMinSheetZoom) + " から " + std::to_string(kMaxSheetZoom) +
         " までの整数を入力してください。";
}

bool isBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000'; }

}  // namespace

std::string initialZoomText(const std::string& datZoom) {
  bool blank = true;
  for (char32_t c : toU32(datZoom)) blank = blank && isBlank(c);
  return blank ? kDefaultSheetZoom : datZoom;
}

int parseSheetZoom(const std::string& text) {
  std::u32string s = toU32(text);
  size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  if (b == e || e - b > kMaxDigits) throw VbError(kTypeMismatch, "ズームの値が整数ではありません: \"" + text + "\"。" + rangeText());
  int value = 0;
  for (size_t i = b; i < e; ++i) {
    char32_t c = s[i];
    int digit;
    if (c >= U'0' && c <= U'9') {
      digit = static_cast<int>(c - U'0');
    } else if (c >= U'０' && c <= U'９') {
      digit = static_cast<int>(c - U'０');
    } else {
      throw VbError(kTypeMismatch, "ズームの値が整数ではありません: \"" + text + "\"。" + rangeText());
    }
    value = value * 10 + digit;
  }
  if (value < kMinSheetZoom || value > kMaxSheetZoom) {
    throw VbError(kZoomRefused, "ズーム " + std::to_string(value) + "% は設定できません。" + rangeText());
  }
  return value;
}

}  // namespace zel::report

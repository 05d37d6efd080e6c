// Column widths and row heights in screen pixels (Excel's default font, 7 pixels a digit), to
// place shapes whose packages give EMU or pixel offsets on the cell anchors the print uses;
// and the macro reference of a shape as OnAction shows it.
#include <algorithm>
#include <cmath>

#include "xls/ooxml/drawing_parts.h"

namespace zel::xls::ooxml {
namespace {

constexpr double kDigitPixels = 7;
constexpr double kPaddingPixels = 5;
constexpr uint32_t kLastColumn = 16383, kLastRow = 1048575;

uint16_t fraction(double offset, double size, double scale) {
  if (size <= 0) return 0;
  return static_cast<uint16_t>(std::lround(std::clamp(offset / size, 0.0, 1.0) * scale));
}

}  // namespace

SheetGrid::SheetGrid(const SheetData& sheet) : sheet_(sheet), columns_(sheet.columns) {
  // Excel rounds the default width up to a multiple of 8 pixels.
  const double pixels = sheet.defaultColumnWidth * kDigitPixels + kPaddingPixels;
  defaultColumn_ = std::ceil(pixels / 8) * 8;
  std::stable_sort(columns_.begin(), columns_.end(), [](const ColumnInfo& a, const ColumnInfo& b) { return a.first < b.first; });
}

double SheetGrid::columnPixels(uint32_t col) const {
  auto it = std::upper_bound(columns_.begin(), columns_.end(), col,
                             [](uint32_t value, const ColumnInfo& c) { return value < c.first; });
  if (it != columns_.begin() && col <= std::prev(it)->last) {
    const ColumnInfo& c = *std::prev(it);
    return c.hidden ? 0 : std::trunc(c.width / 256.0 * kDigitPixels + 0.5);
  }
  return defaultColumn_;
}

double SheetGrid::rowPixels(uint32_t row) const {
  auto it = std::lower_bound(sheet_.rows.begin(), sheet_.rows.end(), row,
                             [](const RowInfo& r, uint32_t value) { return r.row < value; });
  if (it != sheet_.rows.end() && it->row == row) return it->hidden ? 0 : it->heightTwips / 15.0;
  return defaultRow();
}

drawing::CellAnchor SheetGrid::anchor(uint32_t col1, double dx1, uint32_t row1, double dy1, uint32_t col2, double dx2,
                                      uint32_t row2, double dy2) const {
  auto col = [](uint32_t c) { return static_cast<uint16_t>(std::min<uint32_t>(c, 0xFFFF)); };
  drawing::CellAnchor a;
  a.col1 = col(col1);
  a.row1 = std::min(row1, kLastRow);
  a.col2 = col(col2);
  a.row2 = std::min(row2, kLastRow);
  a.dx1 = fraction(dx1, columnPixels(col1), 1024);
  a.dy1 = fraction(dy1, rowPixels(row1), 256);
  a.dx2 = fraction(dx2, columnPixels(col2), 1024);
  a.dy2 = fraction(dy2, rowPixels(row2), 256);
  return a;
}

std::pair<uint32_t, double> SheetGrid::walkColumns(uint32_t col, double offset, double pixels) const {
  double left = offset + std::max(pixels, 0.0);
  while (col < kLastColumn && budget_ > 0) {
    --budget_;
    const double w = columnPixels(col);
    if (left < w || (w == 0 && left == 0)) break;
    left -= w;
    ++col;
  }
  return {col, left};
}

std::pair<uint32_t, double> SheetGrid::walkRows(uint32_t row, double offset, double pixels) const {
  double left = offset + std::max(pixels, 0.0);
  const double standard = defaultRow();
  while (row < kLastRow && budget_ > 0) {
    --budget_;
    // Rows of the default height up to the next row stored with its own height go in one step.
    auto next = std::lower_bound(sheet_.rows.begin(), sheet_.rows.end(), row,
                                 [](const RowInfo& r, uint32_t value) { return r.row < value; });
    const uint32_t plainRows = next == sheet_.rows.end() ? kLastRow - row : next->row - row;
    if (plainRows > 0 && standard > 0) {
      const double fits = std::floor(left / standard);
      const uint32_t step = static_cast<uint32_t>(std::min<double>(fits, plainRows));
      row += step;
      left -= step * standard;
      if (step < plainRows) break;
      continue;
    }
    const double h = rowPixels(row);
    if (left < h || (h == 0 && left == 0)) break;
    left -= h;
    ++row;
  }
  return {row, left};
}

std::string macroText(std::string_view stored, const std::vector<ExternalBookName>& books) {
  while (!stored.empty() && (stored.front() == '=' || stored.front() == ' ')) stored.remove_prefix(1);
  if (stored.size() > 3 && stored.front() == '[') {
    const size_t close = stored.find("]!");
    if (close != std::string_view::npos) {
      const std::string_view number = stored.substr(1, close - 1);
      const std::string_view rest = stored.substr(close + 2);
      if (number == "0") return std::string(rest);
      size_t n = 0;
      for (char c : number) n = c >= '0' && c <= '9' && n < 100000 ? n * 10 + static_cast<size_t>(c - '0') : SIZE_MAX;
      if (n >= 1 && n <= books.size()) {
        const std::string& path = books[n - 1].path;
        const size_t slash = path.find_last_of("\\/");
        return (slash == std::string::npos ? path : path.substr(slash + 1)) + "!" + std::string(rest);
      }
    }
  }
  return std::string(stored);
}

}  // namespace zel::xls::ooxml

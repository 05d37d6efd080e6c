// Pagination of table reports. One routine lays out a page both for counting pages (no boxes)
// and for showing one (boxes), so both always agree on where the page breaks fall.
#include "report/table_paginator.h"

#include "report/fitted_text.h"

#include <algorithm>
#include <cmath>

namespace zel::report {
namespace {

constexpr double kCellPadX = 1.0;
constexpr double kCellPadY = 0.6;
constexpr double kHeadingRowMm = 5.5;
constexpr double kSectionTitleMm = 7.5;
constexpr double kGroupMm[] = {6.0, 5.0, 4.6};
constexpr double kCardGapMm = 3.0;
constexpr double kNoDataMm = 7.0;
constexpr double kMinFlexMm = 20.0;
constexpr const char* kContinued = "（続き）";

double groupHeight(int level) { return kGroupMm[std::min(level, 2)]; }

}  // namespace

PaperSize paperFor(Orientation o) {
  return o == Orientation::Landscape ? PaperSize{297, 210, o} : PaperSize{210, 297, o};
}

// The column of the page being filled.
struct TablePaginator::Frame {
  Page* out;
  double x, top, y, bottom;
  int headingsShown = -1;  // section whose column headings are on this frame
  bool empty = true;
};

TablePaginator::TablePaginator(const ReportData& data, TextMeasurer& measurer)
    : data_(data), m_(measurer), paper_(paperFor(data.def->orientation)) {
  const int frames = std::max(1, data.def->frames);
  const double body = paper_.widthMm - 2 * margin::kSide;
  frameWidth_ = (body - kFrameGapMm * (frames - 1)) / frames;
  for (const auto& sec : data.def->sections) {
    Geometry g;
    g.columns = paperColumns(sec);
    double fixed = 0;
    int flex = 0;
    for (const auto& c : g.columns) {
      if (c.widthMm > 0)
        fixed += c.widthMm;
      else
        ++flex;
    }
    double flexW = flex ? std::max(kMinFlexMm, (frameWidth_ - fixed) / flex) : 0;
    double total = fixed + flexW * flex;
    const double scale = total > frameWidth_ ? frameWidth_ / total : 1.0;  // shrink to fit the frame
    double x = 0;
    for (const auto& c : g.columns) {
      const double w = (c.widthMm > 0 ? c.widthMm : flexW) * scale;
      g.x.push_back(x);
      g.w.push_back(w);
      x += w;
    }
    geometry_.push_back(std::move(g));
  }
}

int TablePaginator::pageCount() {
  if (!complete_) paginate();
  return static_cast<int>(starts_.size());
}

void TablePaginator::paginate() {
  starts_.clear();
  auto progress = [](const Cursor& c) {
    long lines = 0;
    for (int v : c.linesDone) lines += v;
    return std::pair<size_t, long>(c.item, lines);
  };
  Cursor c;
  do {
    starts_.push_back(c);
    const auto before = progress(c);
    layoutPage(c, nullptr, static_cast<int>(starts_.size()) - 1);
    if (progress(c) == before) break;  // cannot happen: an empty frame always takes something
  } while (c.item < data_.items.size());
  complete_ = true;
}

Page TablePaginator::page(int index) {
  pageCount();
  Page out;
  if (index < 0 || index >= static_cast<int>(starts_.size())) return out;
  Cursor c = starts_[index];
  layoutPage(c, &out, index);
  pageHeaderAndFooter(out, index);
  return out;
}

void TablePaginator::pageHeaderAndFooter(Page& out, int pageIndex) {
  const HeaderInfo& h = data_.header;
  const double left = margin::kSide, right = paper_.widthMm - margin::kSide, width = right - left;
  const double top = margin::kTop;
  // Title in the middle with system (left) and company (right) beside it, each on up to two
  // lines; author and date below the company; the file line across the whole width.
  const double titleW = std::min(width * 0.5, textWidthMm(m_, FontRole::Title, data_.def->title) + 4);
  const double sideW = (width - titleW) / 2 - 2;
  out.texts.push_back({{left + (width - titleW) / 2, top, titleW, 8}, cutToWidth(m_, FontRole::Title, data_.def->title, titleW),
                       FontRole::Title, Align::Center});
  std::string company = h.company;
  if (!h.bumon.empty()) company += (company.empty() ? "" : "　") + h.bumon;
  const std::string system = h.system.empty() ? "" : "システム名：" + h.system;
  fittedText(out, m_, FontRole::Header, {left, top + 0.4, sideW, 7.6}, system, Align::Left);
  fittedText(out, m_, FontRole::Header, {right - sideW, top + 0.4, sideW, 7.6}, company, Align::Right);
  std::string who;
  if (!h.author.empty()) who = "作成者：" + h.author;
  if (!h.createDate.empty()) who += (who.empty() ? "" : "　") + std::string("作成日：") + h.createDate;
  fittedText(out, m_, FontRole::Header, {left + width / 2, top + 8.6, width / 2, 3.8}, who, Align::Right);
  const std::string file = h.fileName.empty() ? "" : "ファイル名：" + h.fileName;
  fittedText(out, m_, FontRole::Header, {left, top + 12.6, width, 3.8}, file, Align::Left);
  out.rules.push_back({left, top + 17.0, right, top + 17.0, 0.4});

  const double fy = paper_.heightMm - margin::kBottom - 4;
  out.rules.push_back({left, fy - 1, right, fy - 1, 0.15});
  const std::string pageText = std::to_string(pageIndex + 1) + " / " + std::to_string(starts_.size());
  out.texts.push_back({{left + width / 2 - 20, fy, 40, 3.6}, pageText, FontRole::Footer, Align::Center});
  fittedText(out, m_, FontRole::Footer, {left, fy, width / 2 - 24, 3.8}, h.title, Align::Left);
  out.texts.push_back({{right - 50, fy, 50, 3.6}, "印刷日：" + h.printDate, FontRole::Footer, Align::Right});
}

void TablePaginator::layoutPage(Cursor& c, Page* out, int) {
  const int frames = std::max(1, data_.def->frames);
  const double top = margin::kTop + kHeaderBandMm;
  const double bottom = paper_.heightMm - margin::kBottom - kFooterBandMm;
  for (int i = 0; i < frames && c.item < data_.items.size(); ++i) {
    Frame f{out, margin::kSide + i * (frameWidth_ + kFrameGapMm), top, top, bottom};
    if (i > 0 && out) {
      const double gx = f.x - kFrameGapMm / 2;
      out->rules.push_back({gx, top, gx, bottom, 0.15, true});
    }
    fillFrame(c, f);
  }
}

void TablePaginator::fillFrame(Cursor& c, Frame& f) {
  const auto& items = data_.items;
  if (c.item < items.size() && items[c.item].kind != ItemKind::SectionTitle && c.section >= 0) continueOpenGroups(c, f);
  while (c.item < items.size()) {
    const Item& it = items[c.item];
    if (it.section != c.section) {
      c.section = it.section;
      c.groupText.clear();
      c.prevCells.clear();
    }
    bool placed = false;
    switch (it.kind) {
      case ItemKind::SectionTitle: placed = placeSectionTitle(c, f); break;
      case ItemKind::GroupHeader: placed = placeGroupHeader(c, f); break;
      case ItemKind::NoData: placed = placeNoData(c, f); break;
      case ItemKind::Record:
      case ItemKind::Subtotal:
      case ItemKind::GrandTotal: placed = placeRecord(c, f); break;
    }
    if (!placed) return;
  }
}

// Frame top of a section that goes on: column headings and its open groups, marked continued.
void TablePaginator::continueOpenGroups(Cursor& c, Frame& f) {
  columnHeadings(f, c.section);
  const Item& next = data_.items[c.item];
  for (size_t l = 0; l < c.groupText.size(); ++l) {
    if (next.kind == ItemKind::GroupHeader && next.level <= static_cast<int>(l)) break;
    if (!c.groupText[l].empty()) groupBand(f, static_cast<int>(l), c.groupText[l] + kContinued, true);
  }
  c.prevCells.clear();
}

bool TablePaginator::room(const Frame& f, double h) { return f.y + h <= f.bottom + 1e-6 || f.empty; }

bool TablePaginator::placeSectionTitle(Cursor& c, Frame& f) {
  const Item& it = data_.items[c.item];
  const double need = kSectionTitleMm + headingsHeight(f, it.section) + needForNextRecord(c.item + 1);
  if (!room(f, need)) return false;
  if (f.out) {
    const double lh = m_.lineHeightMm(FontRole::Group), tw = frameWidth_ - 2 * kCellPadX;
    f.out->fills.push_back({{f.x, f.y + 1.0, frameWidth_, kSectionTitleMm - 2.0}, 215});
    f.out->texts.push_back({{f.x + kCellPadX, f.y + 1.0 + (kSectionTitleMm - 2.0 - lh) / 2, tw, lh},
                            cutToWidth(m_, FontRole::Group, "■ " + it.text, tw), FontRole::Group, Align::Left});
  }
  f.y += kSectionTitleMm;
  f.empty = false;
  f.headingsShown = -1;
  ++c.item;
  return true;
}

bool TablePaginator::placeGroupHeader(Cursor& c, Frame& f) {
  const Item& it = data_.items[c.item];
  const double h = it.text.empty() ? kCardGapMm : groupHeight(it.level);
  if (!room(f, h + headingsHeight(f, it.section) + needForNextRecord(c.item + 1))) return false;
  if (f.headingsShown != it.section) columnHeadings(f, it.section);
  groupBand(f, it.level, it.text, false);
  c.groupText.resize(it.level + 1);
  c.groupText[it.level] = it.text;
  c.prevCells.clear();
  ++c.item;
  return true;
}

bool TablePaginator::placeNoData(Cursor& c, Frame& f) {
  const Item& it = data_.items[c.item];
  if (!room(f, headingsHeight(f, it.section) + kNoDataMm)) return false;
  if (f.headingsShown != it.section) columnHeadings(f, it.section);
  if (f.out)
    f.out->texts.push_back({{f.x, f.y + (kNoDataMm - 3.6) / 2, frameWidth_, 3.6}, it.text, FontRole::Body, Align::Center});
  f.y += kNoDataMm;
  f.empty = false;
  ++c.item;
  return true;
}

// A record (or total line): moved whole to a fresh frame when it fits there, else split by
// lines; the lines already printed are kept in the cursor.
bool TablePaginator::placeRecord(Cursor& c, Frame& f) {
  const Item& it = data_.items[c.item];
  const Geometry& g = geometry_[it.section];
  const double headH = headingsHeight(f, it.section);
  if (headH > 0 && !room(f, headH + m_.lineHeightMm(FontRole::Body) + 2 * kCellPadY)) return false;
  if (headH > 0) columnHeadings(f, it.section);
  const Cells& cells = wrapCells(c, it);
  const size_t n = cells.lines.size();
  if (c.linesDone.size() != n) c.linesDone.assign(n, 0);
  double restH = 0;  // height of what is left of the record
  for (size_t i = 0; i < n; ++i)
    restH = std::max(restH, (cells.lines[i].size() - c.linesDone[i]) * m_.lineHeightMm(cells.roles[i]));
  const double full = restH + 2 * kCellPadY;
  const double avail = f.bottom - f.y;
  const double frameBody = f.bottom - f.top - kHeadingRowMm - 3 * groupHeight(0);
  bool split = false;
  if (full > avail + 1e-6) {
    if (!f.empty && full <= frameBody) return false;  // fits on a fresh frame: moves there
    split = true;
  }
  std::vector<int> take(n);
  bool any = false;
  for (size_t i = 0; i < n; ++i) {
    const int left = static_cast<int>(cells.lines[i].size()) - c.linesDone[i];
    const int fit = static_cast<int>(std::floor((avail - 2 * kCellPadY + 1e-6) / m_.lineHeightMm(cells.roles[i])));
    take[i] = split ? std::clamp(fit, 0, left) : left;
    any = any || take[i] > 0;
  }
  if (split && !any) {
    if (!f.empty) return false;  // not one line fits here: the record starts on the next frame
    for (size_t i = 0; i < n; ++i)  // a frame too small for one line still takes one
      take[i] = std::min(1, static_cast<int>(cells.lines[i].size()) - c.linesDone[i]);
  }
  double used = 0;
  bool finished = true;
  for (size_t i = 0; i < n; ++i) {
    const double lh = m_.lineHeightMm(cells.roles[i]);
    if (f.out) {
      for (int k = 0; k < take[i]; ++k) {
        const std::string& line = cells.lines[i][c.linesDone[i] + k];
        if (line.empty()) continue;
        f.out->texts.push_back({{f.x + g.x[i] + kCellPadX, f.y + kCellPadY + k * lh, g.w[i] - 2 * kCellPadX, lh}, line,
                                cells.roles[i], g.columns[i].align});
      }
    }
    used = std::max(used, take[i] * lh);
    c.linesDone[i] += take[i];
    if (c.linesDone[i] < static_cast<int>(cells.lines[i].size())) finished = false;
  }
  const double h = used + 2 * kCellPadY;
  if (f.out) {
    if (it.emphasised) f.out->fills.push_back({{f.x, f.y, frameWidth_, h}, 238});
    if (it.kind != ItemKind::Record)
      f.out->rules.push_back({f.x, f.y, f.x + frameWidth_, f.y, 0.25});
    else if (data_.def->sections[it.section].rowRules)
      f.out->rules.push_back({f.x, f.y + h, f.x + frameWidth_, f.y + h, 0.1, true});
  }
  f.y += h;
  f.empty = false;
  if (!finished) return false;  // the rest goes on the next frame
  c.linesDone.clear();
  if (it.kind == ItemKind::Record) c.prevCells = it.cells;
  ++c.item;
  return true;
}

void TablePaginator::columnHeadings(Frame& f, int section) {
  f.headingsShown = section;
  if (data_.def->sections[section].kind == SectionKind::Card) return;
  const Geometry& g = geometry_[section];
  if (f.out) {
    f.out->fills.push_back({{f.x, f.y, frameWidth_, kHeadingRowMm}, 228});
    f.out->rules.push_back({f.x, f.y, f.x + frameWidth_, f.y, 0.3});
    f.out->rules.push_back({f.x, f.y + kHeadingRowMm, f.x + frameWidth_, f.y + kHeadingRowMm, 0.3});
    for (size_t i = 0; i < g.columns.size(); ++i) {
      const double tw = g.w[i] - 2 * kCellPadX;
      f.out->texts.push_back({{f.x + g.x[i] + kCellPadX, f.y + (kHeadingRowMm - 3.6) / 2, tw, 3.6},
                              cutToWidth(m_, FontRole::Heading, g.columns[i].heading, tw), FontRole::Heading,
                              Align::Center});
    }
  }
  f.y += kHeadingRowMm;
}

double TablePaginator::headingsHeight(const Frame& f, int section) const {
  return data_.def->sections[section].kind == SectionKind::Card || f.headingsShown == section ? 0.0 : kHeadingRowMm;
}

void TablePaginator::groupBand(Frame& f, int level, const std::string& text, bool continued) {
  const double h = text.empty() ? kCardGapMm : groupHeight(level);
  if (f.out && !text.empty()) {
    const double indent = 2.0 * level;
    const FontRole role = level == 0 ? FontRole::Group : FontRole::Heading;
    if (level == 0) f.out->fills.push_back({{f.x, f.y + 0.4, frameWidth_, h - 0.8}, 242});
    const double tw = frameWidth_ - indent - 2 * kCellPadX, lh = m_.lineHeightMm(role);
    f.out->texts.push_back(
        {{f.x + indent + kCellPadX, f.y + (h - lh) / 2, tw, lh}, cutToWidth(m_, role, text, tw), role, Align::Left});
  }
  f.y += h;
  if (!continued) f.empty = false;
}

// Height of the next record's first line, so a heading is never left alone at a frame's foot.
double TablePaginator::needForNextRecord(size_t from) {
  const auto& items = data_.items;
  for (size_t k = from; k < items.size(); ++k) {
    if (items[k].kind == ItemKind::Record || items[k].kind == ItemKind::NoData)
      return m_.lineHeightMm(FontRole::Body) + 2 * kCellPadY;
    if (items[k].kind == ItemKind::SectionTitle) break;
  }
  return 0.0;
}

const TablePaginator::Cells& TablePaginator::wrapCells(const Cursor& c, const Item& it) {
  const Geometry& g = geometry_[it.section];
  const auto& sec = data_.def->sections[it.section];
  std::vector<bool> hidden(g.columns.size());
  for (size_t i = 0; i < g.columns.size(); ++i)
    hidden[i] = it.kind == ItemKind::Record && g.columns[i].hideDuplicates && i < c.prevCells.size() &&
                i < it.cells.size() && c.prevCells[i] == it.cells[i];
  if (wrapped_.item == c.item && wrapped_.hidden == hidden) return wrapped_.cells;
  Cells cells;
  for (size_t i = 0; i < g.columns.size(); ++i) {
    const ColumnDef& col = g.columns[i];
    const std::string& text = i < it.cells.size() ? it.cells[i] : std::string();
    FontRole role = it.kind == ItemKind::Record ? col.font : FontRole::Heading;
    if (sec.kind == SectionKind::Card && i == 0) role = FontRole::Heading;
    const double tw = g.w[i] - 2 * kCellPadX;
    if (hidden[i] || text.empty())
      cells.lines.push_back({std::string()});
    else if (col.overflow == Overflow::Cut)
      cells.lines.push_back({cutToWidth(m_, role, text, tw)});
    else
      cells.lines.push_back(wrapText(m_, role, text, tw));
    cells.roles.push_back(role);
  }
  wrapped_ = {c.item, std::move(hidden), std::move(cells)};
  return wrapped_.cells;
}

}  // namespace zel::report

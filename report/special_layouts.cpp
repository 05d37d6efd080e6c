// Cover page: the front page of the printed document, with the document title,
// the system name, the file, an information table and the approval stamp boxes.
// Spine label: a tall strip with the titles set vertically, as binders are labelled.
// Wide label: a card for the front of a binder.
#include "report/special_layouts.h"

#include "report/fitted_text.h"

#include <algorithm>

namespace zel::report {
namespace {

constexpr double kMinScale = 0.3;

void frameBox(Page& p, const BoxMm& b, double width) {
  p.rules.push_back({b.x, b.y, b.right(), b.y, width});
  p.rules.push_back({b.x, b.bottom(), b.right(), b.bottom(), width});
  p.rules.push_back({b.x, b.y, b.x, b.bottom(), width});
  p.rules.push_back({b.right(), b.y, b.right(), b.bottom(), width});
}

// Centred, wrapped lines of one style; returns the y below the last line.
double centredLines(Page& p, TextMeasurer& m, FontRole role, const std::string& text, double x, double w, double y,
                    int maxLines) {
  if (text.empty()) return y;
  auto lines = wrapText(m, role, text, w);
  if (static_cast<int>(lines.size()) > maxLines) {
    lines.resize(maxLines);
    lines.back() = cutToWidth(m, role, lines.back() + "…", w);
  }
  const double lh = m.lineHeightMm(role);
  for (const auto& l : lines) {
    p.texts.push_back({{x, y, w, lh}, l, role, Align::Center});
    y += lh;
  }
  return y;
}

// Vertical columns of text inside a box, the first column on the right, as Japanese is read.
// A text that needs more columns is set smaller until it fits, so its end is never lost.
double verticalColumns(Page& p, TextMeasurer& m, FontRole role, const std::string& text, double rightX, double y,
                       double h, int maxColumns) {
  if (text.empty()) return rightX;
  double scale = 1.0;
  auto cols = wrapVertical(m, role, text, h);
  while (static_cast<int>(cols.size()) > maxColumns && scale > kMinScale) {
    scale *= 0.92;
    cols = wrapVertical(m, role, text, h / scale);
  }
  if (static_cast<int>(cols.size()) > maxColumns) {  // more line breaks than columns
    cols.resize(maxColumns);
    cols.back() += "…";
  }
  const double em = m.emMm(role) * scale;
  const double step = em * 1.35;
  double x = rightX;
  for (const auto& c : cols) {
    x -= step;
    PageText t{{x + (step - em) / 2, y, em, h}, c, role, Align::Left, false, true};
    t.scale = scale;
    p.texts.push_back(std::move(t));
  }
  return x;
}

}  // namespace

Page coverPage(const ReportData& d, TextMeasurer& m) {
  Page p;
  const PaperSize paper = paperFor(Orientation::Portrait);
  const BoxMm outer{15, 15, paper.widthMm - 30, paper.heightMm - 30};
  frameBox(p, outer, 0.8);
  frameBox(p, {outer.x + 1.6, outer.y + 1.6, outer.w - 3.2, outer.h - 3.2}, 0.2);

  const double x = outer.x + 12, w = outer.w - 24;
  double y = 62;
  y = centredLines(p, m, FontRole::CoverTitle, kCoverHeading, x, w, y, 1);
  p.rules.push_back({x + 20, y + 3, x + w - 20, y + 3, 0.5});
  p.rules.push_back({x + 20, y + 4.2, x + w - 20, y + 4.2, 0.2});
  y += 22;
  // The default title is the heading already printed above.
  if (d.field("SysTitle") != kCoverHeading) y = centredLines(p, m, FontRole::CoverLarge, d.field("SysTitle"), x, w, y, 3);
  y += 8;
  y = centredLines(p, m, FontRole::CoverText, d.field("SysName"), x, w, y, 2);
  if (!d.header.fileName.empty()) {
    y += 6;
    centredLines(p, m, FontRole::Header, "対象ファイル：" + d.header.fileName, x, w, y, 2);
  }

  // Information table (left) and stamp boxes (right) near the foot of the page.
  const double stampW = 20, stampX = x + w - 3 * stampW;
  const double tableTop = 205, rowH = 10, labelW = 26, tableW = stampX - 8 - x;
  const char* labels[] = {"会社名", "部署名", "作成者", "作成日"};
  const char* fields[] = {"Company", "Bumon", "Auther", "CreateDate"};
  for (int i = 0; i < 4; ++i) {
    const BoxMm row{x, tableTop + i * rowH, tableW, rowH};
    frameBox(p, row, 0.3);
    p.fills.push_back({{row.x, row.y, labelW, rowH}, 232});
    p.rules.push_back({row.x + labelW, row.y, row.x + labelW, row.bottom(), 0.3});
    const double lh = m.lineHeightMm(FontRole::Body);
    p.texts.push_back({{row.x, row.y + (rowH - lh) / 2, labelW, lh}, labels[i], FontRole::Body, Align::Center});
    const std::string value = d.field(fields[i]);
    const double vw = tableW - labelW - 4;
    if (textWidthMm(m, FontRole::Body, value) <= vw)  // one line, centred in the row
      p.texts.push_back({{row.x + labelW + 2, row.y + (rowH - lh) / 2, vw, lh}, value, FontRole::Body, Align::Left});
    else  // a long value takes two lines, set smaller if it must
      fittedText(p, m, FontRole::Body, {row.x + labelW + 2, row.y + 1, vw, rowH - 2}, value, Align::Left);
  }
  const char* stamps[] = {"承認", "照査", "作成"};
  for (int i = 0; i < 3; ++i) {
    const BoxMm head{stampX + i * stampW, tableTop, stampW, 6};
    const BoxMm body{head.x, head.bottom(), stampW, 20};
    frameBox(p, head, 0.3);
    frameBox(p, body, 0.3);
    p.fills.push_back({head, 232});
    p.texts.push_back({{head.x, head.y + 1.2, stampW, 3.6}, stamps[i], FontRole::Small, Align::Center});
  }
  return p;
}

Page spineLabelPage(const ReportData& d, TextMeasurer& m) {
  Page p;
  const BoxMm strip{90, 20, 32, 250};
  frameBox(p, strip, 0.5);
  // Title on the right, system name to its left; company at the foot, across the strip.
  const double textTop = strip.y + 8, companyH = 60;
  const double textH = strip.h - 16 - companyH;
  double right = strip.right() - 3;
  right = verticalColumns(p, m, FontRole::Label, d.field("SysTitle"), right, textTop, textH, 2);
  verticalColumns(p, m, FontRole::CoverText, d.field("SysName"), right - 1, textTop + 6, textH - 6, 1);
  const double footY = strip.bottom() - companyH;
  p.rules.push_back({strip.x, footY, strip.right(), footY, 0.3});
  // Company on the right, department beside it.
  const double footRight = strip.x + strip.w / 2 + m.emMm(FontRole::CoverText) * 1.35;
  const double next = verticalColumns(p, m, FontRole::CoverText, d.field("Company"), footRight, footY + 4, companyH - 8, 1);
  verticalColumns(p, m, FontRole::Body, d.field("Bumon"), next, footY + 4, companyH - 8, 1);
  return p;
}

Page wideLabelPage(const ReportData& d, TextMeasurer& m) {
  Page p;
  const BoxMm card{20, 20, 120, 60};
  frameBox(p, card, 0.5);
  frameBox(p, {card.x + 1.5, card.y + 1.5, card.w - 3, card.h - 3}, 0.15);
  const double x = card.x + 6, w = card.w - 12;
  double y = card.y + 13;
  y = centredLines(p, m, FontRole::Label, d.field("SysTitle"), x, w, y, 2);
  y += 5;
  centredLines(p, m, FontRole::CoverText, d.field("SysName"), x, w, y, 1);
  const double lh = m.lineHeightMm(FontRole::Body);
  std::string foot = d.field("Company");
  if (!d.field("Bumon").empty()) foot += (foot.empty() ? "" : "　") + d.field("Bumon");
  p.rules.push_back({x, card.bottom() - 12, x + w, card.bottom() - 12, 0.2});
  p.texts.push_back({{x, card.bottom() - 10, w, lh}, cutToWidth(m, FontRole::Body, foot, w), FontRole::Body, Align::Center});
  return p;
}

}  // namespace zel::report

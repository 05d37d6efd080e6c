// Painting of the page model with cairo, drawn as the QPainter version draws it (same fonts,
// boxes and alignment), so a PDF looks like the preview. Text goes through cairo_show_text,
// which hands cairo the UTF-8 text with its glyphs.
#include "report/pdf_page_painter.h"

#include "report/report_fonts.h"
#include "report/text_measure.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace zel::report {
namespace {

constexpr double kMmPerPoint = 25.4 / 72.0;
constexpr double kMinLineMm = 0.02;
constexpr double kHalfPi = 1.5707963267948966;

// The face of a text: family, weight, slant and size in millimetres.
struct FaceKey {
  std::string family;
  bool bold = false, italic = false;
  double sizeMm = 0;
  bool operator==(const FaceKey&) const = default;
};

class FaceSetter {
 public:
  explicit FaceSetter(cairo_t* cr) : cr_(cr) {}
  void use(const FaceKey& key) {
    if (set_ && key == last_) return;
    cairo_select_font_face(cr_, key.family.c_str(), key.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           key.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, key.sizeMm);
    last_ = key;
    set_ = true;
  }
  void forget() { set_ = false; }

 private:
  cairo_t* cr_;
  FaceKey last_;
  bool set_ = false;
};

FaceKey styleFace(FontRole role, bool bold, double scale) {
  const FontSpec spec = fontSpec(role);
  return {spec.family, spec.bold || bold, false, spec.pointSize * scale * kMmPerPoint};
}

// One line as the painter shows it: control characters become blanks.
std::string singleLine(const std::string& text) {
  std::string s = text;
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return s;
}

double advanceOf(cairo_t* cr, const std::string& utf8) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, utf8.c_str(), &e);
  return e.x_advance;
}

// Draws one line inside a box: aligned horizontally, centred vertically on the font's height.
// Returns the baseline's left end.
std::pair<double, double> drawInBox(cairo_t* cr, const std::string& utf8, double x, double y, double w, double h,
                                    Align align) {
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  const double adv = align == Align::Left ? 0 : advanceOf(cr, utf8);
  const double left = align == Align::Left ? x : align == Align::Center ? x + (w - adv) / 2 : x + w - adv;
  const double baseline = y + (h - (fe.ascent + fe.descent)) / 2 + fe.ascent;
  cairo_move_to(cr, left, baseline);
  cairo_show_text(cr, utf8.c_str());
  return {left, baseline};
}

bool isCornerPunctuation(char32_t c) { return c == U'、' || c == U'。' || c == U'，' || c == U'．'; }

void paintVertical(cairo_t* cr, FaceSetter& faces, const PageText& t) {
  faces.use(styleFace(t.font, t.bold, t.scale));
  const BoxMm& r = t.box;
  const double em = fontSpec(t.font).pointSize * t.scale * kMmPerPoint;
  double y = r.y;
  for (char32_t c : toU32(t.text)) {
    const char32_t one[1] = {c};
    const std::string s = fromU32(std::u32string_view(one, 1));
    if (c < 0x80 || isTurnedInVertical(c)) {
      // Latin characters and long marks lie on their side, reading downwards.
      const double adv = c < 0x80 ? advanceOf(cr, s) : em;
      cairo_save(cr);
      cairo_translate(cr, r.x + r.w / 2, y + adv / 2);
      cairo_rotate(cr, kHalfPi);
      drawInBox(cr, s, -adv / 2, -em / 2, adv, em, Align::Center);
      cairo_restore(cr);
      y += adv;
    } else if (isCornerPunctuation(c)) {
      drawInBox(cr, s, r.x + em * 0.55, y - em * 0.55, em, em, Align::Center);
      y += em;
    } else {
      drawInBox(cr, s, r.x + (r.w - em) / 2, y, em, em, Align::Center);
      y += em;
    }
  }
}

void setRgb(cairo_t* cr, uint32_t rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

// Text in a font of its own (printed sheets), in its colour, optionally clipped to its cell.
void paintFreeText(cairo_t* cr, FaceSetter& faces, const PageText& t) {
  cairo_save(cr);
  if (t.clip.w > 0) {
    cairo_rectangle(cr, t.clip.x, t.clip.y, t.clip.w, t.clip.h);
    cairo_clip(cr);
  }
  faces.use({t.family, t.bold, t.italic, t.pointSize * kMmPerPoint});
  setRgb(cr, t.rgb);
  const std::string line = singleLine(t.text);
  const auto [left, baseline] = drawInBox(cr, line, t.box.x, t.box.y, t.box.w, t.box.h, t.align);
  if (t.underline) {
    const double size = t.pointSize * kMmPerPoint;
    cairo_set_line_width(cr, size * 0.05);
    cairo_move_to(cr, left, baseline + size * 0.1);
    cairo_line_to(cr, left + advanceOf(cr, line), baseline + size * 0.1);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  faces.forget();  // the restore brought back the face set before
}

// A polyline or polygon of the page model: filled, then stroked.
void paintPathCairo(cairo_t* cr, const PagePath& path) {
  if (path.points.size() < 2) return;
  cairo_new_path(cr);
  cairo_move_to(cr, path.points[0].x, path.points[0].y);
  for (size_t i = 1; i < path.points.size(); ++i) cairo_line_to(cr, path.points[i].x, path.points[i].y);
  if (path.closed) {
    cairo_close_path(cr);
    if (path.fillRgb >= 0) {
      setRgb(cr, static_cast<uint32_t>(path.fillRgb));
      cairo_fill_preserve(cr);
    }
  }
  if (path.lineRgb >= 0) {
    setRgb(cr, static_cast<uint32_t>(path.lineRgb));
    cairo_set_line_width(cr, std::max(kMinLineMm, path.lineWidthMm));
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    std::vector<double> dashes = dashLengthsPx(path.dash);
    for (double& v : dashes) v *= 25.4 / 96.0;
    cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
  }
  cairo_new_path(cr);
}

// A chart's drawing at its shape's box, clipped to the page's cell area; texts may be turned.
void paintChartCairo(cairo_t* cr, FaceSetter& faces, const PageShape& s) {
  if (!s.chart) return;
  cairo_save(cr);
  if (s.clip.w > 0) {
    cairo_rectangle(cr, s.clip.x, s.clip.y, s.clip.w, s.clip.h);
    cairo_clip(cr);
  }
  cairo_translate(cr, s.box.x, s.box.y);
  for (const PagePath& path : s.chart->paths) paintPathCairo(cr, path);
  for (const PageText& t : s.chart->texts) {
    if (t.rotation == 0) {
      paintFreeText(cr, faces, t);
      continue;
    }
    cairo_save(cr);
    faces.use({t.family, t.bold, t.italic, t.pointSize * kMmPerPoint});
    setRgb(cr, t.rgb);
    cairo_translate(cr, t.box.x + t.box.w / 2, t.box.y + t.box.h / 2);
    cairo_rotate(cr, -t.rotation * kHalfPi / 90);
    drawInBox(cr, singleLine(t.text), -t.box.w / 2, -t.box.h / 2, t.box.w, t.box.h, Align::Center);
    cairo_restore(cr);
    faces.forget();
  }
  cairo_restore(cr);
  faces.forget();
}

}  // namespace

void paintPageCairo(cairo_t* cr, const Page& page) {
  cairo_save(cr);
  for (const auto& f : page.fills) {
    if (f.rgb >= 0)
      setRgb(cr, static_cast<uint32_t>(f.rgb));
    else
      cairo_set_source_rgb(cr, f.gray / 255.0, f.gray / 255.0, f.gray / 255.0);
    cairo_rectangle(cr, f.box.x, f.box.y, f.box.w, f.box.h);
    cairo_fill(cr);
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  for (const auto& r : page.rules) {
    if (r.light)
      cairo_set_source_rgb(cr, 170 / 255.0, 170 / 255.0, 170 / 255.0);
    else
      setRgb(cr, r.rgb);
    const double w = std::max(kMinLineMm, r.widthMm);
    cairo_set_line_width(cr, w);
    std::vector<double> dashes = dashLengthsPx(r.dash);
    for (double& v : dashes) v *= 25.4 / 96.0;
    if (!dashes.empty()) cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
    cairo_move_to(cr, r.x1, r.y1);
    cairo_line_to(cr, r.x2, r.y2);
    cairo_stroke(cr);
    if (!dashes.empty()) cairo_set_dash(cr, nullptr, 0, 0);
  }
  cairo_set_source_rgb(cr, 0, 0, 0);
  FaceSetter faces(cr);
  for (const auto& t : page.texts) {
    if (t.vertical) {
      paintVertical(cr, faces, t);
    } else if (t.pointSize > 0) {
      paintFreeText(cr, faces, t);
      cairo_set_source_rgb(cr, 0, 0, 0);
    } else {
      faces.use(styleFace(t.font, t.bold, t.scale));
      drawInBox(cr, singleLine(t.text), t.box.x, t.box.y, t.box.w, t.box.h, t.align);
    }
  }
  for (const auto& s : page.shapes)
    if (s.kind == PageShape::Kind::Chart) paintChartCairo(cr, faces, s);
  cairo_restore(cr);
}

}  // namespace zel::report

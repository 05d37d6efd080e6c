// Painting of the page model with cairo, drawn as the QPainter version draws it (same fonts,
// boxes and alignment), so a PDF looks like the preview. Text goes through cairo_show_text,
// which hands cairo the UTF-8 text with its glyphs.
#include "report/pdf_page_painter.h"

#include "report/cairo_font_fallback.h"
#include "report/report_fonts.h"
#include "report/rule_batches.h"
#include "report/shape_geometry.h"
#include "report/sheet_cell_style.h"
#include "report/text_measure.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace zel::report {
namespace {

constexpr double kMmPerPoint = 25.4 / 72.0;
constexpr double kMinLineMm = 0.02;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kPi = 2 * kHalfPi;
constexpr double kMmPerSheetPixel = 25.4 / 96.0;
// Pictures keep their own pixels in the PDF unless shown smaller than this resolution allows.
constexpr double kMaxPictureDotsPerMm = 600 / 25.4;

using PatternPtr = std::unique_ptr<cairo_pattern_t, decltype(&cairo_pattern_destroy)>;
using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// The face of a text: family, weight, slant and size in millimetres.
struct FaceKey {
  std::string family;
  bool bold = false, italic = false;
  double sizeMm = 0;
  bool operator==(const FaceKey&) const = default;
};

// Sets a face only when it changes, and keeps the font's extents for the face it set.
class FaceSetter {
 public:
  explicit FaceSetter(cairo_t* cr) : cr_(cr) {}
  void use(const FaceKey& key) {
    if (set_ && key == last_) return;
    cairo_select_font_face(cr_, key.family.c_str(), key.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           key.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, key.sizeMm);
    cairo_font_extents(cr_, &extents_);
    last_ = key;
    set_ = true;
  }
  void forget() { set_ = false; }
  const cairo_font_extents_t& extents() const { return extents_; }

 private:
  cairo_t* cr_;
  FaceKey last_;
  cairo_font_extents_t extents_{};
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
// An upright text inside its cell is drawn without a saved state, so that cairo writes a run
// of such texts as one text object.
void paintFreeText(cairo_t* cr, FaceSetter& faces, const PageText& t) {
  const FaceKey key{t.family, t.bold, t.italic, t.pointSize * kMmPerPoint};
  faces.use(key);
  const std::string line = singleLine(t.text);
  const cairo_font_extents_t fe = faces.extents();
  // Characters the face lacks are drawn in a face that has them, run by run.
  const std::vector<FaceRun> runs = fallbackRuns(cr, t.family, t.bold, t.italic, line);
  auto useRunFace = [&](const FaceRun& run) {
    if (run.second) {
      cairo_set_font_face(cr, run.second);
      faces.forget();
    } else {
      faces.use(key);
    }
  };
  double adv = 0;
  if (!runs.empty()) {
    for (const FaceRun& run : runs) {
      useRunFace(run);
      adv += advanceOf(cr, run.first);
    }
    faces.use(key);  // the state saved below holds the text's own face
  } else if (t.align != Align::Left || t.clip.w > 0 || t.underline) {
    adv = advanceOf(cr, line);
  }
  bool clipped = false;
  if (t.clip.w > 0) {
    // A clip costs a clipping path in the PDF: only a text that reaches past its cell gets one.
    const double left = t.align == Align::Left ? t.box.x : t.align == Align::Center ? t.box.x + (t.box.w - adv) / 2 : t.box.right() - adv;
    const double top = t.box.y + (t.box.h - (fe.ascent + fe.descent)) / 2;
    clipped = !(t.rotation == 0 && left >= t.clip.x && left + adv <= t.clip.right() && top >= t.clip.y &&
                top + fe.ascent + fe.descent <= t.clip.bottom());
  }
  const bool saved = clipped || t.rotation != 0;
  if (saved) cairo_save(cr);
  if (clipped) {
    cairo_rectangle(cr, t.clip.x, t.clip.y, t.clip.w, t.clip.h);
    cairo_clip(cr);
  }
  setRgb(cr, t.rgb);
  BoxMm box = t.box;
  Align align = t.align;
  if (t.rotation != 0) {
    // Turned about the box's centre, centred in the turned box.
    cairo_translate(cr, box.x + box.w / 2, box.y + box.h / 2);
    cairo_rotate(cr, -t.rotation * kPi / 180);
    box = BoxMm{-box.w / 2, -box.h / 2, box.w, box.h};
    align = Align::Center;
  }
  const double left = align == Align::Left ? box.x : align == Align::Center ? box.x + (box.w - adv) / 2 : box.right() - adv;
  const double baseline = box.y + (box.h - (fe.ascent + fe.descent)) / 2 + fe.ascent;
  cairo_move_to(cr, left, baseline);
  if (runs.empty()) {
    cairo_show_text(cr, line.c_str());
  } else {
    for (const FaceRun& run : runs) {
      useRunFace(run);
      cairo_show_text(cr, run.first.c_str());
    }
    faces.use(key);
  }
  if (t.underline) {
    const double size = t.pointSize * kMmPerPoint;
    cairo_set_line_width(cr, size * 0.05);
    cairo_move_to(cr, left, baseline + size * 0.1);
    cairo_line_to(cr, left + adv, baseline + size * 0.1);
    cairo_stroke(cr);
  }
  if (saved) cairo_restore(cr);
}

SurfacePtr makePatternImage(const PageFill& f);

// The 8 x 8 dot mask of a fill pattern in its two colours. The last masks made are kept, so
// that pages sharing a pattern share one image in the PDF.
cairo_surface_t* patternImage(const PageFill& f) {
  using Key = std::tuple<uint8_t, uint32_t, uint32_t>;
  constexpr size_t kKeptImages = 64;
  thread_local std::vector<std::pair<Key, SurfacePtr>> kept;
  const Key key{f.pattern, static_cast<uint32_t>(f.rgb) & 0xFFFFFF, f.backRgb & 0xFFFFFF};
  for (const auto& [k, surface] : kept)
    if (k == key) return surface.get();
  if (kept.size() >= kKeptImages) kept.erase(kept.begin());
  kept.emplace_back(key, makePatternImage(f));
  return kept.back().second.get();
}

// A fill pattern's mask repeated one dot per patternCellMm.
PatternPtr fillPattern(const PageFill& f) {
  PatternPtr pattern(cairo_pattern_create_for_surface(patternImage(f)), cairo_pattern_destroy);
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
  const double dot = f.patternCellMm > 0 ? f.patternCellMm : kMmPerSheetPixel;
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, 1 / dot, 1 / dot);
  cairo_pattern_set_matrix(pattern.get(), &m);
  return pattern;
}

SurfacePtr makePatternImage(const PageFill& f) {
  SurfacePtr img(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8), cairo_surface_destroy);
  cairo_surface_flush(img.get());
  unsigned char* data = cairo_image_surface_get_data(img.get());
  const int stride = cairo_image_surface_get_stride(img.get());
  const uint8_t* rows = fillPatternRows(f.pattern);
  const uint32_t fore = static_cast<uint32_t>(f.rgb) & 0xFFFFFF, back = f.backRgb & 0xFFFFFF;
  for (int y = 0; y < 8; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < 8; ++x) row[x] = (rows[y] >> (7 - x)) & 1 ? fore : back;
  }
  cairo_surface_mark_dirty(img.get());
  return img;
}

// Fills of cells never overlap: all fills of one colour or pattern go into one path, one
// fill operation (and one pattern use) in the PDF.
void paintFills(cairo_t* cr, const std::vector<PageFill>& fills) {
  for (const FillBatch& batch : batchFills(fills)) {
    const PageFill& f = *batch.style;
    PatternPtr pattern(nullptr, cairo_pattern_destroy);
    if (f.pattern > 1 && f.rgb >= 0) {
      pattern = fillPattern(f);
      cairo_set_source(cr, pattern.get());
    } else if (f.rgb >= 0) {
      setRgb(cr, static_cast<uint32_t>(f.rgb));
    } else {
      cairo_set_source_rgb(cr, f.gray / 255.0, f.gray / 255.0, f.gray / 255.0);
    }
    for (const BoxMm& b : batch.boxes) cairo_rectangle(cr, b.x, b.y, b.w, b.h);
    cairo_fill(cr);
  }
}

void setDash(cairo_t* cr, LineDash dash) {
  std::vector<double> dashes = dashLengthsPx(dash);
  for (double& v : dashes) v *= kMmPerSheetPixel;
  cairo_set_dash(cr, dashes.empty() ? nullptr : dashes.data(), static_cast<int>(dashes.size()), 0);
}

// A picture as a cairo image: decoded, made smaller where it is shown smaller than the PDF
// needs, never larger. JPEG pictures kept at their size go into the PDF as they are.
SurfacePtr pictureSurface(const PageShape& s) {
  SurfacePtr none(nullptr, cairo_surface_destroy);
  QImage img;
  if (!s.image || !img.loadFromData(s.image->data(), static_cast<int>(s.image->size())) || img.isNull()) return none;
  const auto [w, h] = pictureDrawSize(img.width(), img.height(), s.box, kMaxPictureDotsPerMm);
  const bool resized = w != img.width() || h != img.height();
  if (resized) img = img.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, img.width(), img.height()), cairo_surface_destroy);
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return none;
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < img.height(); ++y)
    std::copy_n(img.constScanLine(y), static_cast<size_t>(img.width()) * 4, data + static_cast<ptrdiff_t>(y) * stride);
  cairo_surface_mark_dirty(surface.get());
  const auto& bytes = *s.image;
  if (!resized && bytes.size() > 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
    // Cairo keeps a reference to the shared bytes until it has written them.
    using Bytes = std::shared_ptr<const std::vector<uint8_t>>;
    auto keep = std::make_unique<Bytes>(s.image);
    if (cairo_surface_set_mime_data(surface.get(), CAIRO_MIME_TYPE_JPEG, bytes.data(), bytes.size(),
                                    [](void* p) { std::unique_ptr<Bytes>(static_cast<Bytes*>(p)); }, keep.get()) ==
        CAIRO_STATUS_SUCCESS)
      keep.release();  // cairo owns it now
  }
  return surface;
}

void paintPicture(cairo_t* cr, const PageShape& s) {
  SurfacePtr surface = pictureSurface(s);
  if (!surface) {
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_set_line_width(cr, 0.2);
    setDash(cr, LineDash::Dash);
    cairo_rectangle(cr, s.box.x, s.box.y, s.box.w, s.box.h);
    cairo_stroke(cr);
    setDash(cr, LineDash::Solid);
    return;
  }
  cairo_save(cr);
  cairo_translate(cr, s.box.x, s.box.y);
  cairo_scale(cr, s.box.w / cairo_image_surface_get_width(surface.get()), s.box.h / cairo_image_surface_get_height(surface.get()));
  cairo_set_source_surface(cr, surface.get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);
}

void fillArrowhead(cairo_t* cr, PointMm from, PointMm tip, double lineWidthMm) {
  const auto corners = arrowhead(from, tip, lineWidthMm);
  if (!corners) return;
  cairo_move_to(cr, (*corners)[0].x, (*corners)[0].y);
  cairo_line_to(cr, (*corners)[1].x, (*corners)[1].y);
  cairo_line_to(cr, (*corners)[2].x, (*corners)[2].y);
  cairo_close_path(cr);
  cairo_fill(cr);
}

// Fills and strokes the current path as the shape says (lines are never filled), then clears it.
void fillAndStroke(cairo_t* cr, const PageShape& s, bool fill, bool stroke) {
  if (fill && s.fillRgb >= 0 && s.kind != PageShape::Kind::Line) {
    setRgb(cr, static_cast<uint32_t>(s.fillRgb));
    cairo_fill_preserve(cr);
  }
  if (stroke && s.lineRgb >= 0) {
    setRgb(cr, static_cast<uint32_t>(s.lineRgb));
    cairo_set_line_width(cr, std::max(kMinLineMm, s.lineWidthMm));
    setDash(cr, s.dash);
    cairo_stroke(cr);
    setDash(cr, LineDash::Solid);
    if (s.kind == PageShape::Kind::Line) {
      const auto [from, to] = lineEnds(s);
      if (s.startArrow) fillArrowhead(cr, to, from, s.lineWidthMm);
      if (s.endArrow) fillArrowhead(cr, from, to, s.lineWidthMm);
    }
  }
  cairo_new_path(cr);
}

// A shape's outline, fill or picture, turned about its centre, then its laid-out text.
void paintShape(cairo_t* cr, FaceSetter& faces, const PageShape& s) {
  cairo_save(cr);
  if (s.clip.w > 0) {
    cairo_rectangle(cr, s.clip.x, s.clip.y, s.clip.w, s.clip.h);
    cairo_clip(cr);
  }
  cairo_save(cr);
  const PointMm c = centreOf(s.box);
  if (s.rotation != 0) {
    cairo_translate(cr, c.x, c.y);
    cairo_rotate(cr, s.rotation * kPi / 180);
    cairo_translate(cr, -c.x, -c.y);
  }
  const BoxMm& b = s.box;
  switch (s.kind) {
    case PageShape::Kind::Picture: paintPicture(cr, s); break;
    case PageShape::Kind::Line: {
      const auto [from, to] = lineEnds(s);
      cairo_move_to(cr, from.x, from.y);
      cairo_line_to(cr, to.x, to.y);
      break;
    }
    case PageShape::Kind::Oval:
      cairo_save(cr);
      cairo_translate(cr, c.x, c.y);
      cairo_scale(cr, std::max(b.w, 1e-6) / 2, std::max(b.h, 1e-6) / 2);
      cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
      cairo_restore(cr);
      break;
    case PageShape::Kind::Rectangle:
    case PageShape::Kind::Placeholder: cairo_rectangle(cr, b.x, b.y, b.w, b.h); break;
    case PageShape::Kind::Freeform:
      for (const OutlinePath& part : outlinePaths(s.outline)) {
        for (const PathStep& step : part.steps) {
          const PointMm* q = step.p;
          switch (step.op) {
            case PathStep::Op::Move: cairo_move_to(cr, q[0].x, q[0].y); break;
            case PathStep::Op::Line: cairo_line_to(cr, q[0].x, q[0].y); break;
            case PathStep::Op::Curve: cairo_curve_to(cr, q[0].x, q[0].y, q[1].x, q[1].y, q[2].x, q[2].y); break;
            case PathStep::Op::Close: cairo_close_path(cr); break;
            default: break;
          }
        }
        fillAndStroke(cr, s, part.filled, part.stroked);
      }
      break;
    case PageShape::Kind::Chart: break;  // drawn by paintChartCairo
  }
  if (s.kind != PageShape::Kind::Picture && s.kind != PageShape::Kind::Freeform) fillAndStroke(cr, s, true, true);
  cairo_restore(cr);
  for (const auto& t : s.texts) paintFreeText(cr, faces, t);
  cairo_restore(cr);
  faces.forget();
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
  paintFills(cr, page.fills);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  // Rules alike in colour, width and dashes are one stroke each.
  for (const RuleBatch& batch : batchRules(page.rules)) {
    const PageRule& r = *batch.style;
    if (r.light)
      cairo_set_source_rgb(cr, 170 / 255.0, 170 / 255.0, 170 / 255.0);
    else
      setRgb(cr, r.rgb);
    cairo_set_line_width(cr, std::max(kMinLineMm, r.widthMm));
    if (r.dash != LineDash::Solid) setDash(cr, r.dash);
    for (const Segment& seg : batch.segments) {
      cairo_move_to(cr, seg.a.x, seg.a.y);
      cairo_line_to(cr, seg.b.x, seg.b.y);
    }
    cairo_stroke(cr);
    if (r.dash != LineDash::Solid) setDash(cr, LineDash::Solid);
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
  for (const auto& s : page.shapes) {
    if (s.kind == PageShape::Kind::Chart)
      paintChartCairo(cr, faces, s);
    else
      paintShape(cr, faces, s);
  }
  cairo_restore(cr);
}

}  // namespace zel::report

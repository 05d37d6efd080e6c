// Painting of the page model into PDF pages, drawn as the QPainter version draws it (same
// fonts, boxes and alignment), so a PDF looks like the preview. Fonts are chosen and measured
// with cairo on a context of their own; the drawing goes to the page's PDF canvas.
#include "report/pdf_page_painter.h"

#include "core/vbstring.h"
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
#include <vector>

namespace zel::report {
namespace {

using pdf::PdfCanvas;

constexpr double kMmPerPoint = 25.4 / 72.0;
constexpr double kMinLineMm = 0.02;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kPi = 2 * kHalfPi;
constexpr double kMmPerSheetPixel = 25.4 / 96.0;
// Pictures keep their own pixels in the PDF unless shown smaller than this resolution allows.
constexpr double kMaxPictureDotsPerMm = 600 / 25.4;

// The face of a text: family, weight, slant and size in millimetres.
struct FaceKey {
  std::string family;
  bool bold = false, italic = false;
  double sizeMm = 0;
  bool operator==(const FaceKey&) const = default;
};

// Sets a face on the measuring context only when it changes, and keeps the font's extents
// for the face it set.
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

// What painting needs: the measuring context with its faces, and the page drawn on.
struct Pen {
  cairo_t* cr;
  PdfCanvas& pc;
  FaceSetter faces;
  // Text in the measuring context's current font, baseline starting at (x, y).
  void text(double x, double y, const std::string& utf8) { pc.showText(cairo_get_scaled_font(cr), x, y, utf8); }
};

FaceKey styleFace(FontRole role, bool bold, double scale) {
  const FontSpec spec = fontSpec(role);
  return {spec.family, spec.bold || bold, false, spec.pointSize * scale * kMmPerPoint};
}

// One line as the painter shows it: control characters become blanks, and bytes that are not
// UTF-8 become replacement characters (cairo refuses such text, and its measuring context
// would stay in error).
std::string singleLine(const std::string& text) {
  std::string s = isValidUtf8(text) ? text : fromU32(toU32(text));
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
void drawInBox(Pen& p, const std::string& utf8, double x, double y, double w, double h, Align align) {
  cairo_font_extents_t fe;
  cairo_font_extents(p.cr, &fe);
  const double adv = align == Align::Left ? 0 : advanceOf(p.cr, utf8);
  const double left = align == Align::Left ? x : align == Align::Center ? x + (w - adv) / 2 : x + w - adv;
  const double baseline = y + (h - (fe.ascent + fe.descent)) / 2 + fe.ascent;
  p.text(left, baseline, utf8);
}

bool isCornerPunctuation(char32_t c) { return c == U'、' || c == U'。' || c == U'，' || c == U'．'; }

void paintVertical(Pen& p, const PageText& t) {
  const BoxMm& r = t.box;
  const double em = fontSpec(t.font).pointSize * t.scale * kMmPerPoint;
  double y = r.y;
  for (char32_t c : toU32(singleLine(t.text))) {
    const char32_t one[1] = {c};
    const std::string s = fromU32(std::u32string_view(one, 1));
    // A character the style's face lacks is drawn in a face that has it.
    p.faces.use(styleFace(t.font, t.bold, t.scale));
    const std::vector<FaceRun> runs = fallbackRuns(p.cr, fontSpec(t.font).family, fontSpec(t.font).bold || t.bold, false, s);
    if (!runs.empty() && runs.front().second) {
      cairo_set_font_face(p.cr, runs.front().second);
      p.faces.forget();
    }
    if (c < 0x80 || isTurnedInVertical(c)) {
      // Latin characters and long marks lie on their side, reading downwards.
      const double adv = c < 0x80 ? advanceOf(p.cr, s) : em;
      p.pc.save();
      p.pc.translate(r.x + r.w / 2, y + adv / 2);
      p.pc.rotate(kHalfPi);
      drawInBox(p, s, -adv / 2, -em / 2, adv, em, Align::Center);
      p.pc.restore();
      y += adv;
    } else if (isCornerPunctuation(c)) {
      drawInBox(p, s, r.x + em * 0.55, y - em * 0.55, em, em, Align::Center);
      y += em;
    } else {
      drawInBox(p, s, r.x + (r.w - em) / 2, y, em, em, Align::Center);
      y += em;
    }
  }
}

// Text in a font of its own (printed sheets), in its colour, clipped to its cell where it
// reaches past it.
void paintFreeText(Pen& p, const PageText& t) {
  const FaceKey key{t.family, t.bold, t.italic, t.pointSize * kMmPerPoint};
  p.faces.use(key);
  const std::string line = singleLine(t.text);
  const cairo_font_extents_t fe = p.faces.extents();
  // Characters the face lacks are drawn in a face that has them, run by run.
  const std::vector<FaceRun> runs = fallbackRuns(p.cr, t.family, t.bold, t.italic, line);
  auto useRunFace = [&](const FaceRun& run) {
    if (run.second) {
      cairo_set_font_face(p.cr, run.second);
      p.faces.forget();
    } else {
      p.faces.use(key);
    }
  };
  std::vector<double> runAdvances;
  double adv = 0;
  if (!runs.empty()) {
    for (const FaceRun& run : runs) {
      useRunFace(run);
      runAdvances.push_back(advanceOf(p.cr, run.first));
      adv += runAdvances.back();
    }
    p.faces.use(key);
  } else if (t.align != Align::Left || t.clip.w > 0 || t.underline) {
    adv = advanceOf(p.cr, line);
  }
  bool clipped = false;
  if (t.clip.w > 0) {
    // Only a text that reaches past its cell gets a clipping path.
    const double left = t.align == Align::Left ? t.box.x : t.align == Align::Center ? t.box.x + (t.box.w - adv) / 2 : t.box.right() - adv;
    const double top = t.box.y + (t.box.h - (fe.ascent + fe.descent)) / 2;
    clipped = !(t.rotation == 0 && left >= t.clip.x && left + adv <= t.clip.right() && top >= t.clip.y &&
                top + fe.ascent + fe.descent <= t.clip.bottom());
  }
  p.pc.save();
  if (clipped) {
    p.pc.rectangle(t.clip.x, t.clip.y, t.clip.w, t.clip.h);
    p.pc.clip();
  }
  p.pc.setRgb(t.rgb);
  BoxMm box = t.box;
  Align align = t.align;
  if (t.rotation != 0) {
    // Turned about the box's centre, centred in the turned box.
    p.pc.translate(box.x + box.w / 2, box.y + box.h / 2);
    p.pc.rotate(-t.rotation * kPi / 180);
    box = BoxMm{-box.w / 2, -box.h / 2, box.w, box.h};
    align = Align::Center;
  }
  const double left = align == Align::Left ? box.x : align == Align::Center ? box.x + (box.w - adv) / 2 : box.right() - adv;
  const double baseline = box.y + (box.h - (fe.ascent + fe.descent)) / 2 + fe.ascent;
  if (runs.empty()) {
    p.text(left, baseline, line);
  } else {
    double x = left;
    for (size_t i = 0; i < runs.size(); ++i) {
      useRunFace(runs[i]);
      p.text(x, baseline, runs[i].first);
      x += runAdvances[i];
    }
    p.faces.use(key);
  }
  if (t.underline) {
    const double size = t.pointSize * kMmPerPoint;
    p.pc.setLineWidth(size * 0.05);
    p.pc.moveTo(left, baseline + size * 0.1);
    p.pc.lineTo(left + adv, baseline + size * 0.1);
    p.pc.stroke();
  }
  p.pc.restore();
}

// Fills of cells never overlap: all fills of one colour or pattern go into one path, one
// fill operation in the PDF. Patterns repeat from the page's corner, one dot per
// patternCellMm.
void paintFills(Pen& p, const std::vector<PageFill>& fills, pdf::PdfResources& res) {
  for (const FillBatch& batch : batchFills(fills)) {
    const PageFill& f = *batch.style;
    if (f.pattern > 1 && f.rgb >= 0)
      p.pc.setPattern(res.pattern(fillPatternRows(f.pattern), static_cast<uint32_t>(f.rgb), f.backRgb,
                                  f.patternCellMm > 0 ? f.patternCellMm : kMmPerSheetPixel));
    else if (f.rgb >= 0)
      p.pc.setRgb(static_cast<uint32_t>(f.rgb));
    else
      p.pc.setRgb(static_cast<uint32_t>(f.gray) * 0x010101u);
    for (const BoxMm& b : batch.boxes) p.pc.rectangle(b.x, b.y, b.w, b.h);
    p.pc.fill();
  }
  p.pc.setRgb(0);
}

void setDash(PdfCanvas& pc, LineDash dash) {
  std::vector<double> dashes = dashLengthsPx(dash);
  for (double& v : dashes) v *= kMmPerSheetPixel;
  pc.setDash(dashes);
}

// A picture, decoded and made smaller where it is shown smaller than the PDF needs, never
// larger; JPEG pictures kept at their size go into the PDF as they are. A picture that does
// not decode is a dashed frame.
void paintPicture(Pen& p, pdf::PdfResources& res, const PageShape& s) {
  QImage img;
  if (!s.image || !img.loadFromData(s.image->data(), static_cast<int>(s.image->size())) || img.isNull()) {
    p.pc.setRgb(0x808080);
    p.pc.setLineWidth(0.2);
    setDash(p.pc, LineDash::Dash);
    p.pc.rectangle(s.box.x, s.box.y, s.box.w, s.box.h);
    p.pc.stroke();
    setDash(p.pc, LineDash::Solid);
    return;
  }
  const auto [w, h] = pictureDrawSize(img.width(), img.height(), s.box, kMaxPictureDotsPerMm);
  const bool resized = w != img.width() || h != img.height();
  if (resized) img = img.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  const auto& bytes = *s.image;
  const bool jpeg = !resized && bytes.size() > 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
  p.pc.drawImage(res.image(s.image, img, jpeg), s.box.x, s.box.y, s.box.w, s.box.h);
}

void fillArrowhead(PdfCanvas& pc, PointMm from, PointMm tip, double lineWidthMm) {
  const auto corners = arrowhead(from, tip, lineWidthMm);
  if (!corners) return;
  pc.moveTo((*corners)[0].x, (*corners)[0].y);
  pc.lineTo((*corners)[1].x, (*corners)[1].y);
  pc.lineTo((*corners)[2].x, (*corners)[2].y);
  pc.closePath();
  pc.fill();
}

// Fills and strokes the current path as the shape says (lines are never filled), then clears it.
void fillAndStroke(PdfCanvas& pc, const PageShape& s, bool fill, bool stroke) {
  if (fill && s.fillRgb >= 0 && s.kind != PageShape::Kind::Line) {
    pc.setRgb(static_cast<uint32_t>(s.fillRgb));
    pc.fillPreserve();
  }
  if (stroke && s.lineRgb >= 0) {
    pc.setRgb(static_cast<uint32_t>(s.lineRgb));
    pc.setLineWidth(std::max(kMinLineMm, s.lineWidthMm));
    setDash(pc, s.dash);
    pc.stroke();
    setDash(pc, LineDash::Solid);
    if (s.kind == PageShape::Kind::Line) {
      const auto [from, to] = lineEnds(s);
      if (s.startArrow) fillArrowhead(pc, to, from, s.lineWidthMm);
      if (s.endArrow) fillArrowhead(pc, from, to, s.lineWidthMm);
    }
  }
  pc.newPath();
}

// A shape's outline, fill or picture, turned about its centre, then its laid-out text.
void paintShape(Pen& p, pdf::PdfResources& res, const PageShape& s) {
  PdfCanvas& pc = p.pc;
  pc.save();
  if (s.clip.w > 0) {
    pc.rectangle(s.clip.x, s.clip.y, s.clip.w, s.clip.h);
    pc.clip();
  }
  pc.save();
  const PointMm c = centreOf(s.box);
  if (s.rotation != 0) {
    pc.translate(c.x, c.y);
    pc.rotate(s.rotation * kPi / 180);
    pc.translate(-c.x, -c.y);
  }
  const BoxMm& b = s.box;
  switch (s.kind) {
    case PageShape::Kind::Picture: paintPicture(p, res, s); break;
    case PageShape::Kind::Line: {
      const auto [from, to] = lineEnds(s);
      pc.moveTo(from.x, from.y);
      pc.lineTo(to.x, to.y);
      break;
    }
    case PageShape::Kind::Oval:
      pc.save();
      pc.translate(c.x, c.y);
      pc.scale(std::max(b.w, 1e-6) / 2, std::max(b.h, 1e-6) / 2);
      pc.arc(0, 0, 1, 0, 2 * kPi);
      pc.closePath();
      pc.restore();
      break;
    case PageShape::Kind::Rectangle:
    case PageShape::Kind::Placeholder: pc.rectangle(b.x, b.y, b.w, b.h); break;
    case PageShape::Kind::Freeform:
      for (const OutlinePath& part : outlinePaths(s.outline)) {
        for (const PathStep& step : part.steps) {
          const PointMm* q = step.p;
          switch (step.op) {
            case PathStep::Op::Move: pc.moveTo(q[0].x, q[0].y); break;
            case PathStep::Op::Line: pc.lineTo(q[0].x, q[0].y); break;
            case PathStep::Op::Curve: pc.curveTo(q[0].x, q[0].y, q[1].x, q[1].y, q[2].x, q[2].y); break;
            case PathStep::Op::Close: pc.closePath(); break;
            default: break;
          }
        }
        fillAndStroke(pc, s, part.filled, part.stroked);
      }
      break;
    case PageShape::Kind::Chart: break;  // drawn by paintChart
  }
  if (s.kind != PageShape::Kind::Picture && s.kind != PageShape::Kind::Freeform) fillAndStroke(pc, s, true, true);
  pc.restore();
  for (const auto& t : s.texts) paintFreeText(p, t);
  pc.restore();
  p.faces.forget();
}

// A polyline or polygon of the page model: filled, then stroked.
void paintPath(PdfCanvas& pc, const PagePath& path) {
  if (path.points.size() < 2) return;
  pc.newPath();
  pc.moveTo(path.points[0].x, path.points[0].y);
  for (size_t i = 1; i < path.points.size(); ++i) pc.lineTo(path.points[i].x, path.points[i].y);
  if (path.closed) {
    pc.closePath();
    if (path.fillRgb >= 0) {
      pc.setRgb(static_cast<uint32_t>(path.fillRgb));
      pc.fillPreserve();
    }
  }
  if (path.lineRgb >= 0) {
    pc.setRgb(static_cast<uint32_t>(path.lineRgb));
    pc.setLineWidth(std::max(kMinLineMm, path.lineWidthMm));
    pc.setLineJoin(CAIRO_LINE_JOIN_MITER);
    setDash(pc, path.dash);
    pc.stroke();
    setDash(pc, LineDash::Solid);
  }
  pc.newPath();
}

// A chart's drawing at its shape's box, clipped to the page's cell area; texts may be turned.
void paintChart(Pen& p, const PageShape& s) {
  if (!s.chart) return;
  PdfCanvas& pc = p.pc;
  pc.save();
  if (s.clip.w > 0) {
    pc.rectangle(s.clip.x, s.clip.y, s.clip.w, s.clip.h);
    pc.clip();
  }
  pc.translate(s.box.x, s.box.y);
  for (const PagePath& path : s.chart->paths) paintPath(pc, path);
  for (const PageText& t : s.chart->texts) paintFreeText(p, t);
  pc.restore();
  p.faces.forget();
}

// The measuring context: a tiny image surface with the font options of PDF output (no
// hinting, unhinted metrics), so measured advances are the ones the PDF's widths give.
// A context that fell into an error state (cairo keeps it there) is made anew.
cairo_t* measuringContext() {
  using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
  using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
  thread_local SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1), cairo_surface_destroy);
  thread_local ContextPtr cr(nullptr, cairo_destroy);
  if (!cr || cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
    cr.reset(cairo_create(surface.get()));
    std::unique_ptr<cairo_font_options_t, decltype(&cairo_font_options_destroy)> o(cairo_font_options_create(),
                                                                                  cairo_font_options_destroy);
    cairo_font_options_set_hint_style(o.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(o.get(), CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr.get(), o.get());
  }
  return cr.get();
}

}  // namespace

void paintPagePdf(PdfCanvas& pc, pdf::PdfResources& res, const Page& page) {
  Pen p{measuringContext(), pc, FaceSetter(measuringContext())};
  pc.save();
  paintFills(p, page.fills, res);
  pc.setLineCap(CAIRO_LINE_CAP_BUTT);
  // Rules alike in colour, width and dashes are one stroke each.
  for (const RuleBatch& batch : batchRules(page.rules)) {
    const PageRule& r = *batch.style;
    pc.setRgb(r.light ? 0xAAAAAA : r.rgb);
    pc.setLineWidth(std::max(kMinLineMm, r.widthMm));
    setDash(pc, r.dash);
    for (const Segment& seg : batch.segments) {
      pc.moveTo(seg.a.x, seg.a.y);
      pc.lineTo(seg.b.x, seg.b.y);
    }
    pc.stroke();
  }
  setDash(pc, LineDash::Solid);
  pc.setRgb(0);
  for (const auto& t : page.texts) {
    if (t.vertical) {
      paintVertical(p, t);
    } else if (t.pointSize > 0) {
      paintFreeText(p, t);
      pc.setRgb(0);
    } else {
      p.faces.use(styleFace(t.font, t.bold, t.scale));
      drawInBox(p, singleLine(t.text), t.box.x, t.box.y, t.box.w, t.box.h, t.align);
    }
  }
  for (const auto& s : page.shapes) {
    if (s.kind == PageShape::Kind::Chart)
      paintChart(p, s);
    else
      paintShape(p, res, s);
  }
  pc.restore();
}

}  // namespace zel::report

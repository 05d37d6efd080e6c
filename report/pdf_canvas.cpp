// Page content as PDF operators. Points are turned into page space (millimetres, y down) as
// they are given, so the written content never changes its transformation except inside
// a picture's own q/Q; saved states cost a q/Q only where a clip has to be undone.
#include "report/pdf_canvas.h"

#include "report/pdf_number.h"
#include "report/text_measure.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace zel::report::pdf {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kHalfPi = 1.5707963267948966;

void appendRgbOp(std::string& out, uint32_t rgb, const char* op) {
  for (int shift : {16, 8, 0}) {
    appendNumber(out, ((rgb >> shift) & 0xFF) / 255.0);
    out += ' ';
  }
  out += op;
  out += '\n';
}

}  // namespace

PdfCanvas::PdfCanvas(PdfResources& resources, double pageHeightMm) : res_(resources) {
  appendDownwardMatrix(out_, kPointsPerMm, pageHeightMm * kPointsPerMm);
  out_ += " cm\n";
}

void PdfCanvas::save() { stack_.push_back({want_, false, {}}); }

void PdfCanvas::restore() {
  if (stack_.empty()) return;
  Saved s = std::move(stack_.back());
  stack_.pop_back();
  want_ = std::move(s.want);
  if (s.q) {
    endText();
    out_ += "Q\n";
    have_ = std::move(s.haveAtQ);
  }
}

void PdfCanvas::translate(double x, double y) {
  Matrix& m = want_.ctm;
  m.e += m.a * x + m.c * y;
  m.f += m.b * x + m.d * y;
}

void PdfCanvas::rotate(double radians) {
  const double cs = std::cos(radians), sn = std::sin(radians);
  Matrix& m = want_.ctm;
  const Matrix o = m;
  m.a = o.a * cs + o.c * sn;
  m.b = o.b * cs + o.d * sn;
  m.c = -o.a * sn + o.c * cs;
  m.d = -o.b * sn + o.d * cs;
}

void PdfCanvas::scale(double sx, double sy) {
  Matrix& m = want_.ctm;
  m.a *= sx;
  m.b *= sx;
  m.c *= sy;
  m.d *= sy;
}

void PdfCanvas::point(double x, double y) {
  double px, py;
  want_.ctm.apply(x, y, px, py);
  appendNumber(path_, px);
  path_ += ' ';
  appendNumber(path_, py);
  curX_ = px;
  curY_ = py;
  growPathBox(px, py);
}

void PdfCanvas::growPathBox(double x, double y) {
  if (pathBoxEmpty_) {
    pathBox_[0] = pathBox_[2] = x;
    pathBox_[1] = pathBox_[3] = y;
    pathBoxEmpty_ = false;
    return;
  }
  pathBox_[0] = std::min(pathBox_[0], x);
  pathBox_[1] = std::min(pathBox_[1], y);
  pathBox_[2] = std::max(pathBox_[2], x);
  pathBox_[3] = std::max(pathBox_[3], y);
}

void PdfCanvas::pathOp(double x, double y, const char* op) {
  point(x, y);
  path_ += op;
}

void PdfCanvas::moveTo(double x, double y) {
  pathOp(x, y, " m\n");
  startX_ = curX_;
  startY_ = curY_;
  hasPoint_ = true;
}

void PdfCanvas::lineTo(double x, double y) {
  if (!hasPoint_) return moveTo(x, y);
  pathOp(x, y, " l\n");
}

void PdfCanvas::curveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  if (!hasPoint_) moveTo(x1, y1);
  point(x1, y1);
  path_ += ' ';
  point(x2, y2);
  path_ += ' ';
  pathOp(x3, y3, " c\n");
}

void PdfCanvas::closePath() {
  if (!hasPoint_) return;
  path_ += "h\n";
  curX_ = startX_;
  curY_ = startY_;
}

void PdfCanvas::rectangle(double x, double y, double w, double h) {
  const Matrix& m = want_.ctm;
  if (m.b == 0 && m.c == 0) {
    point(x, y);
    path_ += ' ';
    appendNumber(path_, w * m.a);
    path_ += ' ';
    appendNumber(path_, h * m.d);
    path_ += " re\n";
    growPathBox(curX_ + w * m.a, curY_ + h * m.d);
    startX_ = curX_;
    startY_ = curY_;
    hasPoint_ = true;
    return;
  }
  moveTo(x, y);
  lineTo(x + w, y);
  lineTo(x + w, y + h);
  lineTo(x, y + h);
  closePath();
}

void PdfCanvas::arc(double xc, double yc, double r, double a1, double a2) {
  while (a2 < a1) a2 += 4 * kHalfPi;
  const double sx = xc + r * std::cos(a1), sy = yc + r * std::sin(a1);
  if (hasPoint_) lineTo(sx, sy);
  else moveTo(sx, sy);
  const int pieces = std::max(1, static_cast<int>(std::ceil((a2 - a1) / kHalfPi - 1e-9)));
  const double step = (a2 - a1) / pieces;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  for (int i = 0; i < pieces; ++i) {
    const double t0 = a1 + i * step, t1 = t0 + step;
    const double c0 = std::cos(t0), s0 = std::sin(t0), c1 = std::cos(t1), s1 = std::sin(t1);
    curveTo(xc + r * (c0 - k * s0), yc + r * (s0 + k * c0), xc + r * (c1 + k * s1), yc + r * (s1 - k * c1),
            xc + r * c1, yc + r * s1);
  }
}

void PdfCanvas::newPath() {
  writePendingFill();
  paintPath(nullptr);
}

void PdfCanvas::writePendingFill() {
  if (!pendingFill_) return;
  setFill(pendingPaint_);
  if (!path_.empty()) {
    out_ += path_;
    out_ += "f\n";
  }
  pendingFill_ = false;
}

void PdfCanvas::setRgb(uint32_t rgb) { want_.source = {rgb & 0xFFFFFF, {}}; }
void PdfCanvas::setPattern(const std::string& name) { want_.source.pattern = name; }
void PdfCanvas::setLineWidth(double w) { want_.lineWidth = w; }
void PdfCanvas::setDash(const std::vector<double>& lengths) { want_.dash = lengths; }
void PdfCanvas::setLineCap(cairo_line_cap_t cap) { want_.cap = static_cast<int>(cap); }
void PdfCanvas::setLineJoin(cairo_line_join_t join) { want_.join = static_cast<int>(join); }

void PdfCanvas::endText() {
  if (!inText_) return;
  out_ += "ET\n";
  inText_ = false;
}

void PdfCanvas::beginText() {
  if (inText_) return;
  out_ += "BT\n";
  inText_ = true;
}

void PdfCanvas::setFill(const Paint& paint) {
  if (have_.fill == paint) return;
  if (paint.pattern.empty()) appendRgbOp(out_, paint.rgb, "rg");
  else out_ += "/Pattern cs /" + paint.pattern + " scn\n";
  have_.fill = paint;
}

double PdfCanvas::strokeScale() const {
  const Matrix& m = want_.ctm;
  return std::sqrt(std::abs(m.a * m.d - m.b * m.c));
}

void PdfCanvas::setStrokeState() {
  if (have_.stroke != want_.source.rgb) {
    appendRgbOp(out_, want_.source.rgb, "RG");
    have_.stroke = want_.source.rgb;
  }
  const double k = strokeScale();
  if (const double width = want_.lineWidth * k; have_.lineWidth != width) {
    appendNumber(out_, width, 4);
    out_ += " w\n";
    have_.lineWidth = width;
  }
  std::vector<double> dash = want_.dash;
  for (double& v : dash) v *= k;
  if (have_.dash != dash) {
    out_ += '[';
    for (size_t i = 0; i < dash.size(); ++i) {
      if (i) out_ += ' ';
      appendNumber(out_, dash[i], 4);
    }
    out_ += "] 0 d\n";
    have_.dash = std::move(dash);
  }
  if (have_.cap != want_.cap) {
    out_ += std::to_string(want_.cap) + " J\n";
    have_.cap = want_.cap;
  }
  if (have_.join != want_.join) {
    out_ += std::to_string(want_.join) + " j\n";
    have_.join = want_.join;
  }
}

void PdfCanvas::paintPath(const char* op) {
  if (op && !path_.empty()) {
    out_ += path_;
    out_ += op;
    out_ += '\n';
  }
  path_.clear();
  hasPoint_ = false;
  pendingFill_ = false;
  pathBoxEmpty_ = true;
}

void PdfCanvas::fill() {
  endText();
  if (pendingFill_) newPath();
  setFill(want_.source);
  paintPath("f");
}

void PdfCanvas::fillPreserve() {
  endText();
  pendingFill_ = true;
  pendingPaint_ = want_.source;
}

void PdfCanvas::stroke() {
  endText();
  setStrokeState();
  if (pendingFill_) {
    setFill(pendingPaint_);
    paintPath("B");
  } else {
    paintPath("S");
  }
}

void PdfCanvas::clip() {
  endText();
  writePendingFill();
  if (!stack_.empty() && !stack_.back().q) {
    stack_.back().q = true;
    stack_.back().haveAtQ = have_;
    out_ += "q\n";
  }
  if (!pathBoxEmpty_) {
    double* c = want_.clip;
    if (!want_.clipped) std::copy(pathBox_, pathBox_ + 4, c);
    else {
      c[0] = std::max(c[0], pathBox_[0]);
      c[1] = std::max(c[1], pathBox_[1]);
      c[2] = std::min(c[2], pathBox_[2]);
      c[3] = std::min(c[3], pathBox_[3]);
    }
    want_.clipped = true;
  }
  paintPath("W n");
}

void PdfCanvas::showText(cairo_scaled_font_t* font, double x, double y, std::string_view utf8) {
  if (utf8.empty()) return;
  cairo_glyph_t* glyphs = nullptr;
  int glyphCount = 0;
  cairo_text_cluster_t* clusters = nullptr;
  int clusterCount = 0;
  cairo_text_cluster_flags_t flags{};
  if (cairo_scaled_font_text_to_glyphs(font, 0, 0, utf8.data(), static_cast<int>(utf8.size()), &glyphs, &glyphCount,
                                       &clusters, &clusterCount, &flags) != CAIRO_STATUS_SUCCESS)
    return;
  std::unique_ptr<cairo_glyph_t, decltype(&cairo_glyph_free)> glyphsOwner(glyphs, cairo_glyph_free);
  std::unique_ptr<cairo_text_cluster_t, decltype(&cairo_text_cluster_free)> clustersOwner(clusters,
                                                                                          cairo_text_cluster_free);
  if (glyphCount == 0) return;
  const Matrix& m = want_.ctm;
  if (want_.clipped && !insideClip(font, glyphs, glyphCount, x, y)) return;
  cairo_font_face_t* face = cairo_scaled_font_get_font_face(font);
  cairo_matrix_t fm;
  cairo_scaled_font_get_font_matrix(font, &fm);
  // Text space: the font's glyph space (y up) scaled by the font matrix, turned by the
  // current transformation, from the baseline's start.
  const double ta = m.a * fm.xx + m.c * fm.yx, tb = m.b * fm.xx + m.d * fm.yx;
  const double tc = -(m.a * fm.xy + m.c * fm.yy), td = -(m.b * fm.xy + m.d * fm.yy);
  double tx, ty;
  m.apply(x, y, tx, ty);

  setFill({want_.source.rgb, {}});
  beginText();
  for (double v : {ta, tb, tc, td}) {
    appendNumber(out_, v, 5);
    out_ += ' ';
  }
  appendNumber(out_, tx);
  out_ += ' ';
  appendNumber(out_, ty);
  out_ += " Tm\n";

  int g = 0;
  int runFont = -1;
  auto flushRun = [&](std::string& hex) {
    if (hex.empty()) return;
    out_ += '<';
    out_ += hex;
    out_ += ">Tj\n";
    hex.clear();
  };
  std::string hex;
  size_t byte = 0;
  for (int k = 0; k < clusterCount && g < glyphCount; ++k) {
    const std::u32string chars = toU32(utf8.substr(byte, static_cast<size_t>(clusters[k].num_bytes)));
    byte += static_cast<size_t>(clusters[k].num_bytes);
    for (int j = 0; j < clusters[k].num_glyphs && g < glyphCount; ++j, ++g) {
      const char32_t ch = j < static_cast<int>(chars.size()) ? chars[static_cast<size_t>(j)] : 0xFFFD;
      const Type3Fonts::Code code = res_.fonts().code(face, glyphs[g].index, ch);
      if (code.font != runFont) {
        flushRun(hex);
        runFont = code.font;
        if (have_.font != code.font) {
          out_ += "/T" + std::to_string(code.font) + " 1 Tf\n";
          have_.font = code.font;
        }
      }
      appendHexByte(hex, code.code);
    }
  }
  flushRun(hex);
}

bool PdfCanvas::insideClip(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count, double x,
                           double y) const {
  cairo_text_extents_t e;
  cairo_scaled_font_glyph_extents(font, glyphs, count, &e);
  if (e.width <= 0 || e.height <= 0) return true;
  double box[4] = {1e300, 1e300, -1e300, -1e300};
  for (double dx : {e.x_bearing, e.x_bearing + e.width})
    for (double dy : {e.y_bearing, e.y_bearing + e.height}) {
      double px, py;
      want_.ctm.apply(x + dx, y + dy, px, py);
      box[0] = std::min(box[0], px);
      box[1] = std::min(box[1], py);
      box[2] = std::max(box[2], px);
      box[3] = std::max(box[3], py);
    }
  const double* c = want_.clip;
  return box[0] < c[2] && box[2] > c[0] && box[1] < c[3] && box[3] > c[1];
}

void PdfCanvas::drawImage(const std::string& name, double x, double y, double w, double h) {
  endText();
  writePendingFill();
  // The image's unit square, its first row at the top, onto the box.
  const Matrix& m = want_.ctm;
  double ex, ey;
  m.apply(x, y + h, ex, ey);
  out_ += "q ";
  for (double v : {m.a * w, m.b * w, -m.c * h, -m.d * h}) {
    appendNumber(out_, v, 5);
    out_ += ' ';
  }
  appendNumber(out_, ex);
  out_ += ' ';
  appendNumber(out_, ey);
  out_ += " cm /" + name + " Do Q\n";
}

std::string PdfCanvas::take() {
  endText();
  if (pendingFill_) newPath();
  while (!stack_.empty()) restore();
  std::string s = std::move(out_);
  out_.clear();
  return s;
}

}  // namespace zel::report::pdf

// Drawing onto one PDF page with the operations the page painter needs, in the manner of a
// cairo context: a transformation and paint state that save() and restore() keep, paths built
// then filled, stroked or used as clip, text in cairo's fonts, pictures and fill patterns.
// User space starts in millimetres from the page's top-left corner, y downwards. The page's
// content is written as PDF operators; colour, width and font are set only when they change.
#pragma once
#include "report/pdf_resources.h"

#include <cairo.h>

#include <string>
#include <string_view>
#include <vector>

namespace zel::report::pdf {

class PdfCanvas {
 public:
  PdfCanvas(PdfResources& resources, double pageHeightMm);

  void save();
  void restore();
  void translate(double x, double y);
  void rotate(double radians);
  void scale(double sx, double sy);

  void moveTo(double x, double y);
  void lineTo(double x, double y);
  void curveTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void closePath();
  void rectangle(double x, double y, double w, double h);
  // An arc of a circle anticlockwise in user space from angle a1 to a2 (radians), joined to
  // the current point by a line when there is one.
  void arc(double xc, double yc, double r, double a1, double a2);
  void newPath();

  void setRgb(uint32_t rgb);
  void setPattern(const std::string& name);
  // Width and dash lengths in user units at the time of stroking.
  void setLineWidth(double w);
  void setDash(const std::vector<double>& lengths);
  void setLineCap(cairo_line_cap_t cap);
  void setLineJoin(cairo_line_join_t join);

  void fill();
  void fillPreserve();  // the next stroke() strokes the same path
  void stroke();
  void clip();

  // One line of text in a cairo scaled font (its font matrix gives the size), starting on the
  // baseline at (x, y), in the current colour.
  void showText(cairo_scaled_font_t* font, double x, double y, std::string_view utf8);
  // A picture (a name from PdfResources::image) filling the box.
  void drawImage(const std::string& name, double x, double y, double w, double h);

  // The page's content so far (and clears it).
  std::string take();

 private:
  struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    void apply(double x, double y, double& ox, double& oy) const {
      ox = a * x + c * y + e;
      oy = b * x + d * y + f;
    }
  };
  // A fill: a colour, or a fill pattern by name.
  struct Paint {
    uint32_t rgb = 0;
    std::string pattern;  // empty: rgb
    bool operator==(const Paint&) const = default;
  };
  // What the code asked for, and what the written content has set (widths and dashes as
  // written, in page units); both kept by save(). Operators are formatted only when a value
  // written changes.
  struct Wanted {
    Matrix ctm;
    Paint source;
    double lineWidth = 2 * 25.4 / 72;
    std::vector<double> dash;
    int cap = 0, join = 0;
    // Bounds of the clip in page space, when there is one: text wholly outside it is left
    // out, so that reading the file's text gives only what is printed.
    bool clipped = false;
    double clip[4] = {0, 0, 0, 0};
  };
  struct Written {
    Paint fill;
    uint32_t stroke = 0;
    double lineWidth = 1;  // the PDF default of 1 unit, here 1 mm
    std::vector<double> dash;
    int cap = 0, join = 0;
    int font = -1;
  };

  void point(double x, double y);
  void growPathBox(double x, double y);
  void pathOp(double x, double y, const char* op);
  void endText();
  void beginText();
  void setFill(const Paint& paint);
  // Writes the fill a fillPreserve() left pending; the path stays.
  void writePendingFill();
  void setStrokeState();
  void paintPath(const char* op);
  double strokeScale() const;
  // Whether any ink of the glyphs (laid out from the origin, drawn from (x, y)) is inside the clip's bounds.
  bool insideClip(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count, double x, double y) const;

  PdfResources& res_;
  std::string out_;
  std::string path_;
  bool hasPoint_ = false;
  bool pathBoxEmpty_ = true;
  double pathBox_[4] = {0, 0, 0, 0};  // bounds of the path's points in page space
  double curX_ = 0, curY_ = 0, startX_ = 0, startY_ = 0;  // current point and figure start, page space
  bool pendingFill_ = false;
  Paint pendingPaint_;
  bool inText_ = false;
  Wanted want_;
  Written have_;
  // A saved state; its "q" is written only once a clip needs it, with the written state of
  // that moment, which its "Q" brings back.
  struct Saved {
    Wanted want;
    bool q = false;
    Written haveAtQ;
  };
  std::vector<Saved> stack_;
};

}  // namespace zel::report::pdf

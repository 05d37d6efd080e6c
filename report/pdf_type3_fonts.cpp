// Type 3 fonts made from cairo's own glyph outlines: codes handed out per (face, glyph,
// character), each glyph's outline and advance taken once at 1000 units per em, and every
// font written at the end with its procedures, widths, encoding and ToUnicode map.
#include "report/pdf_type3_fonts.h"

#include "report/pdf_number.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace zel::report::pdf {
namespace {

// Glyph space units per em: outlines are taken at this size and the font matrix scales back.
constexpr double kUnitsPerEm = 1000;
constexpr int kCodesPerFont = 256;

struct FaceRelease {
  void operator()(cairo_font_face_t* f) const { cairo_font_face_destroy(f); }
};
struct ScaledFontRelease {
  void operator()(cairo_scaled_font_t* f) const { cairo_scaled_font_destroy(f); }
};
struct SurfaceRelease {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextRelease {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct PathRelease {
  void operator()(cairo_path_t* p) const { cairo_path_destroy(p); }
};
struct OptionsRelease {
  void operator()(cairo_font_options_t* o) const { cairo_font_options_destroy(o); }
};
using FacePtr = std::unique_ptr<cairo_font_face_t, FaceRelease>;
using ScaledFontPtr = std::unique_ptr<cairo_scaled_font_t, ScaledFontRelease>;
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceRelease>;
using ContextPtr = std::unique_ptr<cairo_t, ContextRelease>;
using PathPtr = std::unique_ptr<cairo_path_t, PathRelease>;
using OptionsPtr = std::unique_ptr<cairo_font_options_t, OptionsRelease>;

// One glyph as a glyph procedure, shared by every font of its face that uses it.
struct Shape {
  std::string proc;
  double box[4] = {0, 0, 0, 0};  // llx lly urx ury; all zero when nothing is drawn
  double advance = 0;
  int objectId = 0;  // handed out in writeAll
};

struct Face {
  FacePtr face;
  ScaledFontPtr scaled;  // at 1000 units per em; made on first need, remade after an error
  int currentFont = -1;
  std::unordered_map<unsigned long, int> shapes;  // glyph -> index into Impl::shapes
};

struct Font {
  int objectId = 0;
  std::vector<int> shapes;       // by code
  std::vector<char32_t> chars;   // by code
};

struct Key {
  cairo_font_face_t* face;
  unsigned long glyph;
  char32_t ch;
  bool operator==(const Key&) const = default;
};

struct KeyHash {
  size_t operator()(const Key& k) const {
    uint64_t h = reinterpret_cast<uintptr_t>(k.face);
    h ^= (static_cast<uint64_t>(k.glyph) + 0x9E3779B97F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
    h ^= (static_cast<uint64_t>(k.ch) + (h << 6) + (h >> 2)) * 0x94D049BB133111EBull;
    return static_cast<size_t>(h ^ (h >> 31));
  }
};

// The glyph's outline in glyph space (y up) as path operators, with its box and advance.
// A glyph cairo cannot load comes back empty.
Shape takeShape(cairo_scaled_font_t* font, cairo_surface_t* scratch, unsigned long glyph) {
  Shape shape;
  cairo_glyph_t g{glyph, 0, 0};
  cairo_text_extents_t extents;
  cairo_scaled_font_glyph_extents(font, &g, 1, &extents);
  if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS) return shape;
  shape.advance = std::isfinite(extents.x_advance) ? extents.x_advance : 0;

  ContextPtr cr(cairo_create(scratch));
  cairo_set_scaled_font(cr.get(), font);
  cairo_glyph_path(cr.get(), &g, 1);
  PathPtr path(cairo_copy_path(cr.get()));
  std::string ops;
  bool any = false;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  auto point = [&](const cairo_path_data_t& p) {
    const double x = p.point.x, y = -p.point.y;
    if (!any) {
      minX = maxX = x;
      minY = maxY = y;
      any = true;
    } else {
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
    appendNumber(ops, x, 2);
    ops.push_back(' ');
    appendNumber(ops, y, 2);
    ops.push_back(' ');
  };
  if (path && path->status == CAIRO_STATUS_SUCCESS) {
    // A move is written only once a segment follows it: cairo adds one after every close.
    const cairo_path_data_t* pendingMove = nullptr;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
      const cairo_path_data_t* d = &path->data[i];
      const auto type = d->header.type;
      if (type == CAIRO_PATH_MOVE_TO) {
        pendingMove = d;
        continue;
      }
      if (pendingMove && type != CAIRO_PATH_CLOSE_PATH) {
        point(pendingMove[1]);
        ops += "m\n";
      }
      if (type != CAIRO_PATH_CLOSE_PATH) pendingMove = nullptr;
      switch (type) {
        case CAIRO_PATH_LINE_TO:
          point(d[1]);
          ops += "l\n";
          break;
        case CAIRO_PATH_CURVE_TO:
          point(d[1]);
          point(d[2]);
          point(d[3]);
          ops += "c\n";
          break;
        case CAIRO_PATH_CLOSE_PATH:
          if (!pendingMove) ops += "h\n";
          break;
        default:
          break;
      }
    }
  }
  std::string& proc = shape.proc;
  appendNumber(proc, shape.advance, 3);
  if (!any) {
    proc += " 0 0 0 0 0 d1\n";
    return shape;
  }
  // Boxes widened to whole units so that rounding of the points never leaves them outside.
  shape.box[0] = std::floor(minX);
  shape.box[1] = std::floor(minY);
  shape.box[2] = std::ceil(maxX);
  shape.box[3] = std::ceil(maxY);
  // "d0", not "d1": readers may then not keep the glyph as a bitmap, which they place on
  // whole pixels, so small text keeps its even spacing when shown at low resolution.
  proc += " 0 d0\n";
  proc += ops;
  proc += "f\n";
  return shape;
}

std::string toUnicodeCMap(const std::vector<char32_t>& chars) {
  std::string cmap =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n";
  // At most 100 entries to a block, as CMap readers expect.
  for (size_t start = 0; start < chars.size(); start += 100) {
    const size_t end = std::min(chars.size(), start + 100);
    cmap += std::to_string(end - start) + " beginbfchar\n";
    for (size_t code = start; code < end; ++code) {
      cmap += '<';
      appendHexByte(cmap, static_cast<uint8_t>(code));
      cmap += "> <";
      appendUtf16Hex(cmap, chars[code]);
      cmap += ">\n";
    }
    cmap += "endbfchar\n";
  }
  cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
  return cmap;
}

}  // namespace

struct Type3Fonts::Impl {
  explicit Impl(PdfFile& f) : file(f) {
    options.reset(cairo_font_options_create());
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    scratch.reset(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
  }

  Face& faceOf(cairo_font_face_t* face) {
    auto it = faces.find(face);
    if (it == faces.end()) {
      it = faces.emplace(face, Face{}).first;
      it->second.face.reset(cairo_font_face_reference(face));
    }
    return it->second;
  }

  int shapeOf(Face& face, unsigned long glyph) {
    if (auto it = face.shapes.find(glyph); it != face.shapes.end()) return it->second;
    if (!face.scaled) {
      cairo_matrix_t size, identity;
      cairo_matrix_init_scale(&size, kUnitsPerEm, kUnitsPerEm);
      cairo_matrix_init_identity(&identity);
      face.scaled.reset(cairo_scaled_font_create(face.face.get(), &size, &identity, options.get()));
    }
    shapes.push_back(takeShape(face.scaled.get(), scratch.get(), glyph));
    // A glyph cairo failed on leaves the scaled font in error for good: start afresh.
    if (cairo_scaled_font_status(face.scaled.get()) != CAIRO_STATUS_SUCCESS) face.scaled.reset();
    const int index = static_cast<int>(shapes.size()) - 1;
    face.shapes.emplace(glyph, index);
    return index;
  }

  PdfFile& file;
  OptionsPtr options;
  SurfacePtr scratch;
  std::unordered_map<cairo_font_face_t*, Face> faces;
  std::unordered_map<Key, Code, KeyHash> codes;
  std::vector<Shape> shapes;
  std::vector<Font> fonts;
  bool written = false;
};

Type3Fonts::Type3Fonts(PdfFile& file) : impl_(std::make_unique<Impl>(file)) {}
Type3Fonts::~Type3Fonts() = default;

Type3Fonts::Code Type3Fonts::code(cairo_font_face_t* face, unsigned long glyph, char32_t ch) {
  const Key key{face, glyph, ch};
  if (auto it = impl_->codes.find(key); it != impl_->codes.end()) return it->second;
  Face& f = impl_->faceOf(face);
  const int shape = impl_->shapeOf(f, glyph);
  if (f.currentFont < 0 || impl_->fonts[f.currentFont].shapes.size() >= kCodesPerFont) {
    f.currentFont = static_cast<int>(impl_->fonts.size());
    impl_->fonts.push_back(Font{impl_->file.reserve(), {}, {}});
  }
  Font& font = impl_->fonts[f.currentFont];
  const Code code{f.currentFont, static_cast<uint8_t>(font.shapes.size())};
  font.shapes.push_back(shape);
  font.chars.push_back(ch);
  impl_->codes.emplace(key, code);
  return code;
}

int Type3Fonts::objectId(int font) const {
  if (font < 0 || font >= count()) return 0;
  return impl_->fonts[font].objectId;
}

int Type3Fonts::count() const { return static_cast<int>(impl_->fonts.size()); }

void Type3Fonts::writeAll() {
  if (impl_->written) return;
  impl_->written = true;
  PdfFile& file = impl_->file;
  for (const Font& font : impl_->fonts) {
    double box[4] = {0, 0, 0, 0};
    bool anyBox = false;
    std::string procs, names, widths;
    std::vector<int> listed;  // shapes already in this font's CharProcs
    for (int index : font.shapes) {
      Shape& shape = impl_->shapes[index];
      const std::string name = "/g" + std::to_string(index);
      names += ' ';
      names += name;
      widths += ' ';
      appendNumber(widths, shape.advance, 3);
      if (std::find(listed.begin(), listed.end(), index) != listed.end()) continue;
      listed.push_back(index);
      if (shape.objectId == 0) {
        shape.objectId = file.reserve();
        file.stream(shape.objectId, "", shape.proc);
      }
      procs += name + ' ' + std::to_string(shape.objectId) + " 0 R ";
      if (shape.box[0] == shape.box[2] && shape.box[1] == shape.box[3]) continue;
      if (!anyBox) {
        std::copy(std::begin(shape.box), std::end(shape.box), box);
        anyBox = true;
      } else {
        box[0] = std::min(box[0], shape.box[0]);
        box[1] = std::min(box[1], shape.box[1]);
        box[2] = std::max(box[2], shape.box[2]);
        box[3] = std::max(box[3], shape.box[3]);
      }
    }
    const int toUnicode = file.reserve();
    file.stream(toUnicode, "", toUnicodeCMap(font.chars));

    std::string dict = "<< /Type /Font /Subtype /Type3 /FontBBox [";
    for (int i = 0; i < 4; ++i) {
      if (i) dict.push_back(' ');
      appendNumber(dict, box[i], 0);
    }
    dict += "] /FontMatrix [0.001 0 0 0.001 0 0]\n/CharProcs << " + procs + ">>\n";
    dict += "/Encoding << /Type /Encoding /Differences [0" + names + "] >>\n";
    dict += "/FirstChar 0 /LastChar " + std::to_string(font.shapes.size() - 1);
    dict += "\n/Widths [" + widths.substr(1) + "]\n";
    dict += "/ToUnicode " + std::to_string(toUnicode) + " 0 R /Resources << >> >>";
    file.object(font.objectId, dict);
  }
}

}  // namespace zel::report::pdf

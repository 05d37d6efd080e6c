// Per-character font fallback for the cairo painter. Answers are kept per face and character,
// so a character is looked up in the font and in fontconfig once per thread.
#include "report/cairo_font_fallback.h"

#include "report/text_measure.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <map>
#include <memory>
#include <tuple>

namespace zel::report {
namespace {

using FacePtr = std::unique_ptr<cairo_font_face_t, decltype(&cairo_font_face_destroy)>;
using PatternPtr = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;

bool fontHas(cairo_t* cr, char32_t c) {
  const std::string one = fromU32(std::u32string_view(&c, 1));
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  const cairo_status_t status = cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cr), 0, 0, one.data(),
                                                                 static_cast<int>(one.size()), &glyphs, &count,
                                                                 nullptr, nullptr, nullptr);
  const bool has = status != CAIRO_STATUS_SUCCESS || count == 0 || glyphs[0].index != 0;
  cairo_glyph_free(glyphs);
  return has;
}

// Fontconfig's match for the face among fonts that have c; null when none has it.
FacePtr matchWith(const std::string& family, bool bold, bool italic, char32_t c) {
  FacePtr none(nullptr, cairo_font_face_destroy);
  PatternPtr pattern(FcPatternCreate(), FcPatternDestroy);
  FcCharSet* chars = FcCharSetCreate();
  if (!pattern || !chars) {
    if (chars) FcCharSetDestroy(chars);
    return none;
  }
  FcCharSetAddChar(chars, c);
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddCharSet(pattern.get(), FC_CHARSET, chars);
  FcCharSetDestroy(chars);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result), FcPatternDestroy);
  FcCharSet* matched = nullptr;
  if (!match || FcPatternGetCharSet(match.get(), FC_CHARSET, 0, &matched) != FcResultMatch ||
      !FcCharSetHasChar(matched, c))
    return none;
  FacePtr face(cairo_ft_font_face_create_for_pattern(match.get()), cairo_font_face_destroy);
  if (cairo_font_face_status(face.get()) != CAIRO_STATUS_SUCCESS) return none;
  return face;
}

// The face to draw c in when the current font lacks it, else null.
cairo_font_face_t* faceFor(cairo_t* cr, const std::string& family, bool bold, bool italic, char32_t c) {
  thread_local std::map<std::tuple<std::string, bool, bool, char32_t>, FacePtr> known;
  auto key = std::make_tuple(family, bold, italic, c);
  auto it = known.find(key);
  if (it == known.end()) {
    FacePtr face(nullptr, cairo_font_face_destroy);
    if (!fontHas(cr, c)) face = matchWith(family, bold, italic, c);
    it = known.emplace(std::move(key), std::move(face)).first;
  }
  return it->second.get();
}

}  // namespace

std::vector<FaceRun> fallbackRuns(cairo_t* cr, const std::string& family, bool bold, bool italic,
                                  const std::string& utf8) {
  std::vector<FaceRun> runs;
  bool ascii = true;
  for (char ch : utf8) ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
  if (ascii) return runs;
  bool any = false;
  for (char32_t c : toU32(utf8)) {
    cairo_font_face_t* face = c < 0x80 ? nullptr : faceFor(cr, family, bold, italic, c);
    any = any || face;
    const std::string piece = fromU32(std::u32string_view(&c, 1));
    if (!runs.empty() && runs.back().second == face)
      runs.back().first += piece;
    else
      runs.emplace_back(piece, face);
  }
  if (!any) runs.clear();
  return runs;
}

}  // namespace zel::report

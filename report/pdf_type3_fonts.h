// The fonts of a PDF file as Type 3 fonts: each glyph drawn is stored once as its outline,
// taken from cairo exactly as cairo draws it (synthetic bold and slant included), with a
// map from every code back to the one character it was drawn for, so that the text of the
// file can be searched and copied as printed.
#pragma once
#include "report/pdf_file.h"

#include <cairo.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zel::report::pdf {

class Type3Fonts {
 public:
  explicit Type3Fonts(PdfFile& file);
  ~Type3Fonts();
  Type3Fonts(const Type3Fonts&) = delete;
  Type3Fonts& operator=(const Type3Fonts&) = delete;

  // Where one glyph is found: font `font` (resource name "/T" + font) and its one-byte code.
  struct Code {
    int font = 0;
    uint8_t code = 0;
  };
  // The code of glyph `glyph` of `face` drawn for character `ch`. The same glyph drawn for
  // another character gets a code of its own. A font holds 256 codes; further glyphs of the
  // face go into a new font. The glyph's advance at size 1 is the font's width for the code.
  Code code(cairo_font_face_t* face, unsigned long glyph, char32_t ch);
  // Object number of font `font`, handed out when the font is first used.
  int objectId(int font) const;
  // Number of fonts so far.
  int count() const;
  // Writes every font: glyph procedures, widths, encoding and the map back to the text.
  // Called once, after the last page.
  void writeAll();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zel::report::pdf

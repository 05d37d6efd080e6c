// Type 3 fonts read back from a hand-made PDF: Latin, bold and Japanese text with more glyphs
// than one font holds comes back exactly through pdftotext, and the glyphs render where their
// widths put them, the right way up.
#include "report/pdf_file.h"
#include "report/pdf_type3_fonts.h"
#include "report/text_measure.h"
#include "report_fixture.h"

#include <cairo.h>

#include <sstream>

namespace zel::report::test {
namespace {

using pdf::Type3Fonts;

struct FaceDeleter {
  void operator()(cairo_font_face_t* f) const { cairo_font_face_destroy(f); }
};
struct ScaledDeleter {
  void operator()(cairo_scaled_font_t* f) const { cairo_scaled_font_destroy(f); }
};
using FacePtr = std::unique_ptr<cairo_font_face_t, FaceDeleter>;
using ScaledPtr = std::unique_ptr<cairo_scaled_font_t, ScaledDeleter>;

// A scaled font as the painter makes them: unhinted outlines and metrics.
ScaledPtr scaledFont(cairo_font_face_t* face, double size) {
  cairo_matrix_t m, identity;
  cairo_matrix_init_scale(&m, size, size);
  cairo_matrix_init_identity(&identity);
  std::unique_ptr<cairo_font_options_t, void (*)(cairo_font_options_t*)> o(cairo_font_options_create(),
                                                                          cairo_font_options_destroy);
  cairo_font_options_set_hint_style(o.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(o.get(), CAIRO_HINT_METRICS_OFF);
  return ScaledPtr(cairo_scaled_font_create(face, &m, &identity, o.get()));
}

unsigned long glyphOf(cairo_scaled_font_t* font, char32_t c) {
  const std::string utf8 = fromU32(std::u32string(1, c));
  cairo_glyph_t* glyphs = nullptr;
  int n = 0;
  if (cairo_scaled_font_text_to_glyphs(font, 0, 0, utf8.data(), static_cast<int>(utf8.size()), &glyphs, &n, nullptr,
                                       nullptr, nullptr) != CAIRO_STATUS_SUCCESS)
    return 0;
  const unsigned long g = n > 0 ? glyphs[0].index : 0;
  cairo_glyph_free(glyphs);
  return g;
}

// One line of text: each character with the glyph it is drawn with (its own by default).
struct Line {
  cairo_font_face_t* face;
  std::u32string text;
  std::vector<std::pair<size_t, char32_t>> glyphFrom = {};  // position -> character whose glyph is drawn
};

constexpr double kSize = 10, kLeft = 50, kTop = 800, kLeading = 22, kPageHeight = 842;

TEST(PdfFonts, TextComesBackExactlyAndGlyphsSitWhereTheirWidthsPutThem) {
  if (std::system("command -v pdftotext >/dev/null 2>&1 && command -v pdftoppm >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "poppler-utils not installed";
  zel::test::TempDir dir;
  const std::string path = dir.file("fonts.pdf");
  FacePtr latin(cairo_toy_font_face_create("DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL));
  FacePtr bold(cairo_toy_font_face_create("DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD));
  FacePtr japanese(cairo_toy_font_face_create("Noto Sans CJK JP", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL));

  std::vector<Line> lines = {
      {latin.get(), U"Hello Wörld 1+1=2 façade"},
      {bold.get(), U"Bold Text \uFFFD"},
      // The glyph of A drawn for a Greek capital alpha has a code of its own; the ideograph is
      // missing from the face and drawn as glyph 0, yet still reads back.
      {latin.get(), U"A\u0391 same glyph, 漢 missing", {{1, U'A'}}},
      {japanese.get(), U"日本語のテキスト、\U00020BB7野家"},
  };
  // 300 distinct ideographs: the Japanese face needs a second font.
  for (int row = 0; row < 10; ++row) {
    std::u32string text;
    for (int i = 0; i < 30; ++i) text.push_back(static_cast<char32_t>(0x4E00 + row * 30 + i));
    lines.push_back({japanese.get(), text});
  }

  pdf::PdfFile file(path);
  const int catalog = file.reserve(), pages = file.reserve(), page = file.reserve(), contents = file.reserve(),
            info = file.reserve();
  Type3Fonts fonts(file);
  // A glyph the face does not have leaves an empty procedure and spoils none of the others.
  fonts.code(latin.get(), 1ul << 30, U'x');
  std::string content;
  double firstInkLeft = 0, firstInkRight = 0, pen = 0;  // of the first line, as cairo draws it
  for (size_t n = 0; n < lines.size(); ++n) {
    const Line& line = lines[n];
    ScaledPtr scaled = scaledFont(line.face, kSize);
    content += "BT 10 0 0 10 " + std::to_string(kLeft) + ' ' + std::to_string(kTop - kLeading * n) + " Tm ";
    int currentFont = -1;
    for (size_t i = 0; i < line.text.size(); ++i) {
      char32_t glyphChar = line.text[i];
      for (auto [at, from] : line.glyphFrom)
        if (at == i) glyphChar = from;
      const unsigned long glyph = glyphOf(scaled.get(), glyphChar);
      if (n == 0) {
        cairo_glyph_t g{glyph, 0, 0};
        cairo_text_extents_t e;
        cairo_scaled_font_glyph_extents(scaled.get(), &g, 1, &e);
        if (i == 0) firstInkLeft = e.x_bearing;
        firstInkRight = pen + e.x_bearing + e.width;
        pen += e.x_advance;
      }
      const Type3Fonts::Code code = fonts.code(line.face, glyph, line.text[i]);
      if (code.font != currentFont) {
        if (currentFont >= 0) content += "> Tj ";
        currentFont = code.font;
        content += "/T" + std::to_string(code.font) + " 1 Tf <";
      }
      static constexpr char kHex[] = "0123456789ABCDEF";
      content += kHex[code.code >> 4];
      content += kHex[code.code & 15];
    }
    content += "> Tj ET\n";
  }
  EXPECT_EQ(fonts.count(), 4);  // Latin, bold and two Japanese fonts

  std::string fontResources;
  for (int f = 0; f < fonts.count(); ++f)
    fontResources += "/T" + std::to_string(f) + ' ' + std::to_string(fonts.objectId(f)) + " 0 R ";
  file.stream(contents, "", content);
  file.object(page, "<< /Type /Page /Parent " + std::to_string(pages) + " 0 R /MediaBox [0 0 595 842]" +
                        " /Resources << /Font << " + fontResources + ">> >> /Contents " + std::to_string(contents) +
                        " 0 R >>");
  file.object(pages, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
  file.object(catalog, "<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>");
  file.object(info, "<< /Title " + pdf::textString("Fonts") + " >>");
  fonts.writeAll();
  ASSERT_TRUE(file.finish(catalog, info)) << file.error();

  std::string expected;
  for (const Line& line : lines) expected += fromU32(line.text) + "\n";
  std::string text = commandOutput("pdftotext -layout '" + path + "' - 2>/dev/null");
  // Layout mode indents lines and may pad them; compare the lines themselves.
  std::istringstream in(text);
  std::string got, row;
  while (std::getline(in, row)) {
    row.erase(0, row.find_first_not_of(" \f"));
    row.erase(row.find_last_not_of(' ') + 1);
    if (!row.empty()) got += row + "\n";
  }
  EXPECT_EQ(got, expected);

  // Rendering raises no complaint, and the first line's ink lies above its baseline and ends
  // where cairo's glyph advances put its last letter.
  EXPECT_EQ(commandOutput("pdffonts '" + path + "' 2>&1 >/dev/null"), "");
  const std::string errors =
      commandOutput("pdftoppm -gray -r 144 -singlefile '" + path + "' '" + dir.file("page") + "' 2>&1");
  EXPECT_EQ(errors, "");
  std::istringstream pgm(zel::test::readFile(dir.file("page.pgm")));
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  pgm >> magic >> width >> height >> maxValue;
  pgm.get();
  std::string pixels(std::istreambuf_iterator<char>(pgm), {});
  ASSERT_EQ(magic, "P5");
  ASSERT_EQ(pixels.size(), static_cast<size_t>(width) * height);
  // Two pixels to the point; the first line's band only (lines are kLeading apart).
  const int baseline = static_cast<int>(2 * (kPageHeight - kTop));
  int inkLeft = width, inkRight = -1, inkTop = height, inkBottom = -1;
  for (int y = baseline - 30; y < baseline + 20; ++y)
    for (int x = 0; x < width; ++x)
      if (static_cast<unsigned char>(pixels[static_cast<size_t>(y) * width + x]) < 128) {
        inkLeft = std::min(inkLeft, x);
        inkRight = std::max(inkRight, x + 1);
        inkTop = std::min(inkTop, y);
        inkBottom = std::max(inkBottom, y + 1);
      }
  EXPECT_GE(inkTop, baseline - 2 * kSize);
  EXPECT_LE(inkTop, baseline - 2 * kSize * 0.6);  // capitals reach up about 0.7 em
  EXPECT_LE(inkBottom, baseline + 6);             // only the cedilla goes below
  EXPECT_NEAR(inkLeft / 2.0, kLeft + firstInkLeft, 0.75);
  EXPECT_NEAR(inkRight / 2.0, kLeft + firstInkRight, 0.75);
}

}  // namespace
}  // namespace zel::report::test

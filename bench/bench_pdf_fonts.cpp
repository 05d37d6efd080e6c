// Type 3 font coding as a page of text uses it: 5000 glyph uses among 300 distinct glyphs of
// a Latin and a Japanese face, cold (outlines taken and fonts written) and warm (lookups only).
#include "report/pdf_file.h"
#include "report/pdf_type3_fonts.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <memory>

namespace {

using zel::report::pdf::PdfFile;
using zel::report::pdf::Type3Fonts;

constexpr int kUses = 5000, kDistinct = 300;

struct Faces {
  std::unique_ptr<cairo_font_face_t, void (*)(cairo_font_face_t*)> latin{
      cairo_toy_font_face_create("DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL),
      cairo_font_face_destroy};
  std::unique_ptr<cairo_font_face_t, void (*)(cairo_font_face_t*)> japanese{
      cairo_toy_font_face_create("Noto Sans CJK JP", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL),
      cairo_font_face_destroy};
};

// Use i: one of kDistinct glyphs, half Latin and half Japanese, in a scattered order.
void codeUses(Type3Fonts& fonts, const Faces& faces) {
  for (int i = 0; i < kUses; ++i) {
    const int k = (i * 7919) % kDistinct;
    cairo_font_face_t* face = k % 2 ? faces.japanese.get() : faces.latin.get();
    const unsigned long glyph = 3 + static_cast<unsigned long>(k / 2) * (k % 2 ? 97 : 1);
    benchmark::DoNotOptimize(fonts.code(face, glyph, static_cast<char32_t>(0x4E00 + k)));
  }
}

void BM_Type3CodingCold(benchmark::State& state) {
  Faces faces;
  for (auto _ : state) {
    PdfFile file("/dev/null");
    Type3Fonts fonts(file);
    codeUses(fonts, faces);
    fonts.writeAll();
  }
  state.SetItemsProcessed(state.iterations() * kUses);
}
BENCHMARK(BM_Type3CodingCold)->Unit(benchmark::kMillisecond);

void BM_Type3CodingWarm(benchmark::State& state) {
  Faces faces;
  PdfFile file("/dev/null");
  Type3Fonts fonts(file);
  codeUses(fonts, faces);
  for (auto _ : state) codeUses(fonts, faces);
  state.SetItemsProcessed(state.iterations() * kUses);
}
BENCHMARK(BM_Type3CodingWarm)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// What the pages of a PDF file share: fonts, fill patterns and pictures, each written once
// and named in one resource dictionary that every page refers to.
#pragma once
#include "report/pdf_file.h"
#include "report/pdf_type3_fonts.h"

#include <QImage>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace zel::report::pdf {

class PdfResources {
 public:
  // pageHeightMm: patterns are aligned to the top-left corner of the page.
  PdfResources(PdfFile& file, double pageHeightMm);

  Type3Fonts& fonts() { return fonts_; }
  // Name of a tiling pattern: an 8 x 8 mask (row bytes, high bit left) of fore over back,
  // one dot dotMm wide, repeating from the page's top-left corner.
  std::string pattern(const uint8_t rows[8], uint32_t foreRgb, uint32_t backRgb, double dotMm);
  // Name of a picture decoded from `source` (the same picture at the same size on several
  // pages is written once; the source is kept so that its address stays its own). With
  // asJpeg the source, a JPEG file of the image's size, is stored as it is. Images with
  // transparent pixels get a soft mask.
  std::string image(const std::shared_ptr<const std::vector<uint8_t>>& source, const QImage& img, bool asJpeg);
  // The resource dictionary's object number, and writing it (after the last page).
  int objectId() const { return id_; }
  void write();

 private:
  PdfFile& file_;
  Type3Fonts fonts_;
  double pageHeightMm_;
  int id_;
  std::map<std::tuple<uint64_t, uint32_t, uint32_t, double>, std::string> patterns_;
  std::map<std::tuple<const void*, int, int>, std::string> images_;
  std::vector<std::shared_ptr<const std::vector<uint8_t>>> imageSources_;
  std::vector<std::pair<std::string, int>> patternObjects_, imageObjects_;
};

}  // namespace zel::report::pdf

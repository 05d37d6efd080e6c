// Fill patterns and pictures as PDF objects, and the shared resource dictionary.
#include "report/pdf_resources.h"

#include "report/pdf_number.h"

#include <cstring>

namespace zel::report::pdf {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

void appendRgb(std::string& out, uint32_t rgb) {
  appendNumber(out, ((rgb >> 16) & 0xFF) / 255.0);
  out += ' ';
  appendNumber(out, ((rgb >> 8) & 0xFF) / 255.0);
  out += ' ';
  appendNumber(out, (rgb & 0xFF) / 255.0);
}

std::string ref(int id) { return std::to_string(id) + " 0 R"; }

// Components of a JPEG file from its frame header (1 grey, 3 colour) when the frame has the
// given size; 0 when not found or of another size.
int jpegComponents(const std::vector<uint8_t>& b, int width, int height) {
  size_t i = 2;
  while (i + 9 < b.size()) {
    if (b[i] != 0xFF) return 0;
    const uint8_t marker = b[i + 1];
    const size_t len = static_cast<size_t>(b[i + 2]) << 8 | b[i + 3];
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      const int h = b[i + 5] << 8 | b[i + 6], w = b[i + 7] << 8 | b[i + 8];
      return w == width && h == height ? b[i + 9] : 0;
    }
    if (len < 2) return 0;
    i += 2 + len;
  }
  return 0;
}

}  // namespace

PdfResources::PdfResources(PdfFile& file, double pageHeightMm)
    : file_(file), fonts_(file), pageHeightMm_(pageHeightMm), id_(file.reserve()) {}

std::string PdfResources::pattern(const uint8_t rows[8], uint32_t foreRgb, uint32_t backRgb, double dotMm) {
  uint64_t mask = 0;
  for (int y = 0; y < 8; ++y) mask = mask << 8 | rows[y];
  const auto key = std::make_tuple(mask, foreRgb & 0xFFFFFF, backRgb & 0xFFFFFF, dotMm);
  if (auto it = patterns_.find(key); it != patterns_.end()) return it->second;
  // Pattern space: one unit per dot, y downwards from the page's top-left corner.
  std::string cell;
  appendRgb(cell, backRgb);
  cell += " rg 0 0 8 8 re f\n";
  appendRgb(cell, foreRgb);
  cell += " rg\n";
  bool any = false;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8;) {
      if (!((rows[y] >> (7 - x)) & 1)) {
        ++x;
        continue;
      }
      int end = x;
      while (end < 8 && ((rows[y] >> (7 - end)) & 1)) ++end;
      cell += std::to_string(x) + ' ' + std::to_string(y) + ' ' + std::to_string(end - x) + " 1 re\n";
      any = true;
      x = end;
    }
  if (any) cell += "f\n";
  const double s = dotMm * kPointsPerMm;
  std::string dict = "/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 8 8] /XStep 8 /YStep 8 "
                     "/Resources << >> /Matrix [";
  appendDownwardMatrix(dict, s, pageHeightMm_ * kPointsPerMm);
  dict += "]";
  const int id = file_.reserve();
  file_.stream(id, dict, cell);
  std::string name = "P" + std::to_string(patternObjects_.size());
  patternObjects_.emplace_back(name, id);
  patterns_.emplace(key, name);
  return name;
}

std::string PdfResources::image(const std::shared_ptr<const std::vector<uint8_t>>& bytes, const QImage& source,
                                bool asJpeg) {
  const auto cacheKey = std::make_tuple(static_cast<const void*>(bytes.get()), source.width(), source.height());
  if (auto it = images_.find(cacheKey); it != images_.end()) return it->second;
  const int id = file_.reserve();
  const std::string size = " /Width " + std::to_string(source.width()) + " /Height " + std::to_string(source.height());
  const std::vector<uint8_t>* jpeg = asJpeg && bytes ? bytes.get() : nullptr;
  const int components = jpeg ? jpegComponents(*jpeg, source.width(), source.height()) : 0;
  if (components == 1 || components == 3) {
    file_.stream(id,
                 "/Type /XObject /Subtype /Image" + size + " /ColorSpace " +
                     (components == 1 ? "/DeviceGray" : "/DeviceRGB") + " /BitsPerComponent 8 /Interpolate true /Filter /DCTDecode",
                 std::string_view(reinterpret_cast<const char*>(jpeg->data()), jpeg->size()), false);
  } else {
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    std::string rgb, alpha;
    rgb.reserve(static_cast<size_t>(img.width()) * img.height() * 3);
    alpha.reserve(static_cast<size_t>(img.width()) * img.height());
    bool transparent = false;
    for (int y = 0; y < img.height(); ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
      for (int x = 0; x < img.width(); ++x) {
        rgb += static_cast<char>(qRed(line[x]));
        rgb += static_cast<char>(qGreen(line[x]));
        rgb += static_cast<char>(qBlue(line[x]));
        alpha += static_cast<char>(qAlpha(line[x]));
        transparent |= qAlpha(line[x]) != 255;
      }
    }
    std::string dict = "/Type /XObject /Subtype /Image" + size + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Interpolate true";
    if (transparent) {
      const int maskId = file_.reserve();
      file_.stream(maskId, "/Type /XObject /Subtype /Image" + size + " /ColorSpace /DeviceGray /BitsPerComponent 8 /Interpolate true", alpha);
      dict += " /SMask " + ref(maskId);
    }
    file_.stream(id, dict, rgb);
  }
  std::string name = "I" + std::to_string(imageObjects_.size());
  imageObjects_.emplace_back(name, id);
  images_.emplace(cacheKey, name);
  imageSources_.push_back(bytes);
  return name;
}

void PdfResources::write() {
  fonts_.writeAll();
  std::string dict = "<<";
  if (fonts_.count() > 0) {
    dict += " /Font <<";
    for (int i = 0; i < fonts_.count(); ++i) dict += " /T" + std::to_string(i) + ' ' + ref(fonts_.objectId(i));
    dict += " >>";
  }
  for (const auto& [key, list] : {std::pair{"Pattern", &patternObjects_}, std::pair{"XObject", &imageObjects_}}) {
    if (list->empty()) continue;
    dict += std::string(" /") + key + " <<";
    for (const auto& [name, id] : *list) dict += " /" + name + ' ' + ref(id);
    dict += " >>";
  }
  dict += " >>";
  file_.object(id_, dict);
}

}  // namespace zel::report::pdf

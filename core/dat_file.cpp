// Reading and writing Zelvarin.dat with the substring key tests of the original.
#include "core/dat_file.h"

#include "core/profile_file.h"
#include "core/vbstring.h"

namespace zel {

bool ReadDatFile(const std::string& path, DatValues& v) {
  std::string raw;
  if (!readSmallFile(path, raw)) return false;
  std::u16string text = toU16(decodeWindowsText(raw));
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    std::u16string line = text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    // The key may stand anywhere in the line; the value starts just after "Key=".
    if (long p = vb::inStr(line, u"Title"); p > 0) {
      v.DatTitle = toU8(vb::rtrim(vb::mid(line, p + 6, 255)));
    } else if (long p2 = vb::inStr(line, u"Kisya"); p2 > 0) {
      v.DatKisya = toU8(vb::rtrim(vb::mid(line, p2 + 6, 255)));
    } else if (long p3 = vb::inStr(line, u"Bumon"); p3 > 0) {
      v.DatBumon = toU8(vb::rtrim(vb::mid(line, p3 + 6, 255)));
    } else if (long p4 = vb::inStr(line, u"Zoom"); p4 > 0) {
      // Three characters: a zoom of 100 must survive a save and a read.
      v.DatZoom = toU8(vb::rtrim(vb::mid(line, p4 + 5, 3)));
    }
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  return true;
}

bool WriteDatFile(const std::string& path, const DatValues& v, std::string* error) {
  std::string out = "Title=" + v.DatTitle + "\r\nKisya=" + v.DatKisya + "\r\nBumon=" + v.DatBumon +
                    "\r\nZoom=" + v.DatZoom + "\r\n";
  return writeFileAtomically(path, out, error);
}

}  // namespace zel

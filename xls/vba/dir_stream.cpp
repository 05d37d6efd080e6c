// dir stream records: each is an id (2 bytes), a size (4 bytes) and that many bytes, except
// PROJECTVERSION whose size field is followed by 6 bytes whatever it says. Records the
// export does not need (references, doc strings, help contexts, cookies) are skipped.
#include "xls/vba/dir_stream.h"

#include "xls/byte_cursor.h"
#include "xls/vba/vba_format_error.h"

namespace zel::xls::vba {
namespace {

enum RecordId : uint16_t {
  PROJECTCODEPAGE = 0x0003,
  PROJECTVERSION = 0x0009,
  PROJECTTERMINATOR = 0x0010,
  MODULENAME = 0x0019,
  MODULESTREAMNAME = 0x001A,
  MODULETYPE_PROCEDURAL = 0x0021,
  MODULETYPE_OTHER = 0x0022,
  MODULETERMINATOR = 0x002B,
  MODULEOFFSET = 0x0031,
  MODULESTREAMNAMEUNICODE = 0x0032,
  MODULENAMEUNICODE = 0x0047,
};
constexpr size_t kProjectVersionBytes = 6;

std::string hex4(uint16_t id) {
  static const char* digits = "0123456789ABCDEF";
  std::string s = "0x";
  for (int shift = 12; shift >= 0; shift -= 4) s += digits[(id >> shift) & 0xF];
  return s;
}

std::string bytesText(std::span<const uint8_t> b) { return std::string(b.begin(), b.end()); }

std::u16string utf16Text(std::span<const uint8_t> b) {
  std::u16string s;
  s.reserve(b.size() / 2);
  ByteCursor cur(b);
  while (cur.remaining() >= 2) s.push_back(static_cast<char16_t>(cur.u16()));
  return s;
}

uint16_t readProjectCodePage(std::span<const uint8_t> d) {
  if (d.size() != 2) throw VbaFormatError("dir stream: PROJECTCODEPAGE has a wrong size");
  return ByteCursor(d).u16();
}

uint32_t readModuleOffset(std::span<const uint8_t> d) {
  if (d.size() != 4) throw VbaFormatError("dir stream: MODULEOFFSET has a wrong size");
  return ByteCursor(d).u32();
}

DirModule& currentModule(ProjectDirectory& dir, bool inModule, uint16_t id) {
  if (!inModule) throw VbaFormatError("dir stream: module record " + hex4(id) + " outside a module");
  return dir.modules.back();
}

}  // namespace

ProjectDirectory readDirStream(std::span<const uint8_t> decompressed) {
  ProjectDirectory dir;
  ByteCursor cur(decompressed);
  bool inModule = false;
  try {
    while (cur.remaining() >= 6) {
      size_t at = cur.position();
      uint16_t id = cur.u16();
      uint32_t size = cur.u32();
      if (id == PROJECTVERSION) size = kProjectVersionBytes;
      if (size > cur.remaining())
        throw VbaFormatError("dir stream: record " + hex4(id) + " at byte " + std::to_string(at) + " runs past the end");
      auto data = cur.bytes(size);
      switch (id) {
        case PROJECTCODEPAGE: dir.codePage = readProjectCodePage(data); break;
        case MODULENAME:
          if (dir.modules.size() >= kMaxDirModules) throw VbaFormatError("dir stream: too many modules");
          dir.modules.emplace_back();
          dir.modules.back().name = bytesText(data);
          inModule = true;
          break;
        case MODULENAMEUNICODE: currentModule(dir, inModule, id).nameUnicode = utf16Text(data); break;
        case MODULESTREAMNAME: currentModule(dir, inModule, id).streamName = bytesText(data); break;
        case MODULESTREAMNAMEUNICODE: currentModule(dir, inModule, id).streamNameUnicode = utf16Text(data); break;
        case MODULEOFFSET: {
          DirModule& m = currentModule(dir, inModule, id);
          m.textOffset = readModuleOffset(data);
          m.hasTextOffset = true;
          break;
        }
        case MODULETYPE_PROCEDURAL: currentModule(dir, inModule, id).procedural = true; break;
        case MODULETYPE_OTHER: currentModule(dir, inModule, id).procedural = false; break;
        case MODULETERMINATOR: inModule = false; break;
        case PROJECTTERMINATOR: return dir;
        default: break;
      }
    }
  } catch (const RecordError& e) {
    throw VbaFormatError(std::string("dir stream: ") + e.what());
  }
  return dir;
}

}  // namespace zel::xls::vba

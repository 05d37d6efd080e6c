// The records of the project's decompressed VBA/dir stream that the export needs: the code
// page and, per module in project order, its names, stream, source offset and kind.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zel::xls::vba {

// Most modules accepted from one dir stream; the editor's projects stay far below it.
inline constexpr size_t kMaxDirModules = 4096;

struct DirModule {
  std::string name;              // MODULENAME, in the project's code page
  std::u16string nameUnicode;    // MODULENAMEUNICODE (empty when absent)
  std::string streamName;        // MODULESTREAMNAME, in the project's code page
  std::u16string streamNameUnicode;
  uint32_t textOffset = 0;       // MODULEOFFSET: where the compressed source starts
  bool hasTextOffset = false;
  bool procedural = false;       // MODULETYPE 0x0021 (standard module) vs 0x0022 (the others)
};

struct ProjectDirectory {
  uint16_t codePage = 1252;  // PROJECTCODEPAGE
  std::vector<DirModule> modules;
};

// Decodes the decompressed stream. Throws VbaFormatError when a record runs past the end,
// a module record stands outside a module, or there are too many modules.
ProjectDirectory readDirStream(std::span<const uint8_t> decompressed);

}  // namespace zel::xls::vba

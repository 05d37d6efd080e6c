// Test-only builder of macro projects: dir and PROJECT streams, module streams with their
// compressed source, form designer storages, and the compound file that holds them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zel::test {

struct VbaModuleSpec {
  std::string name;                 // bytes in the project's code page
  std::u16string unicodeName;       // MODULENAMEUNICODE; empty = record left out
  std::string source;               // stored source bytes (code page), Attribute lines included
  int type = 1;                     // 1 standard, 2 class, 3 form, 100 document; 0 = no PROJECT line
  std::optional<std::string> streamName;  // default: name
  uint32_t cacheBytes = 16;         // bytes before the compressed source (the text offset)
  std::optional<uint32_t> textOffset;     // recorded offset; default: cacheBytes
  std::optional<std::string> designer;    // "\003VBFrame" text of a form
  std::string cfbName;  // UTF-8 name of its stream and designer storage; default: the stream name
};

struct VbaProjectSpec {
  uint16_t codePage = 1252;
  std::vector<VbaModuleSpec> modules;
  uint8_t visibility = 0xFF;    // GC: 0xFF visible, 0x00 locked for viewing
  bool password = false;        // DPB holds a password hash
  bool useRawChunks = false;    // store sources as raw 4096-byte chunks where possible
};

// A compressed container holding `raw`: greedily compressed chunks (raw when compression
// does not pay), or raw chunks for every full 4096-byte piece when useRawChunks is set.
std::vector<uint8_t> compressVba(const std::string& raw, bool useRawChunks = false);

// Obfuscated project data as the PROJECT stream's hex text (the CMG/DPB/GC encoding).
std::string encodeProjectData(const std::vector<uint8_t>& data, uint8_t seed, const std::string& projectId);

std::vector<uint8_t> buildDirStream(const VbaProjectSpec& spec);  // decompressed records

using StreamList = std::vector<std::pair<std::string, std::vector<uint8_t>>>;  // path -> bytes

// Every stream of the project ("_VBA_PROJECT_CUR/VBA/dir", ...) plus an empty "Workbook".
StreamList vbaWorkbookStreams(const VbaProjectSpec& spec);
// A compound file image holding the streams (storages made from the "/" paths).
std::vector<uint8_t> buildCompoundFile(const StreamList& streams);
inline std::vector<uint8_t> buildVbaWorkbook(const VbaProjectSpec& spec) {
  return buildCompoundFile(vbaWorkbookStreams(spec));
}

std::vector<uint8_t> bytesOf(const std::string& s);

// A workbook file with one sheet and the macro project of spec.
void writeMacroWorkbook(const std::string& path, const VbaProjectSpec& spec);
// A one-module project locked for viewing, with a password.
VbaProjectSpec lockedProject();

}  // namespace zel::test

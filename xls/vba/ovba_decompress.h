// Decompression of the macro project's compressed containers (the dir stream and the source
// part of each module stream): a signature byte 1, then chunks of at most 4096 output bytes,
// each either stored raw or as flag bytes with literal and copy tokens.
#pragma once
#include "xls/vba/module_limits.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zel::xls::vba {

// Largest decompressed dir stream; real ones hold a few kilobytes of records.
inline constexpr size_t kMaxDirStreamBytes = 4u << 20;
// Largest decompressed module source: a larger one cannot give an export file within
// kMaxExportFileBytes (the export text is never shorter than the stored source).
inline constexpr size_t kMaxModuleSourceBytes = kMaxExportFileBytes;

// Output bytes of one decompressed chunk.
inline constexpr size_t kChunkBytes = 4096;

// Decompresses a whole container. Throws VbaFormatError on a bad signature, a bad chunk
// header, a copy token that reaches before its chunk, or output beyond maxOutput. A last
// chunk cut short by the end of the data yields what it holds.
std::vector<uint8_t> decompressContainer(std::span<const uint8_t> container, size_t maxOutput);

}  // namespace zel::xls::vba

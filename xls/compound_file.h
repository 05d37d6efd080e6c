// The OLE2 compound file of a workbook, read through libgsf. Only this wrapper sees glib:
// the rest of the reader gets stream bytes and a tree of storage and stream names.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "xls/library_messages.h"

namespace zel::xls {

// Largest stream the reader will load into memory; larger ones are refused as damaged.
inline constexpr uint64_t kMaxStreamBytes = 512ull << 20;

class CompoundFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CompoundFile {
 public:
  // Opens a file; throws CompoundFileError with a clear reason when it is not a compound file.
  static CompoundFile open(const std::string& path);
  // Opens an in-memory image (tests, fuzzing).
  static CompoundFile openMemory(std::vector<uint8_t> bytes);

  CompoundFile(CompoundFile&&) noexcept;
  CompoundFile& operator=(CompoundFile&&) noexcept;
  ~CompoundFile();

  // Names of the children of a storage ("" = root; "a/b" = nested), in directory order.
  std::vector<std::string> children(const std::string& storage = "") const;
  bool isStorage(const std::string& path) const;
  bool exists(const std::string& path) const;
  // The whole stream at path ("Workbook", "_VBA_PROJECT_CUR/VBA/dir"); nullopt when missing
  // or when it is a storage. Throws CompoundFileError when it cannot be read or is too large.
  std::optional<std::vector<uint8_t>> readStream(const std::string& path) const;
  // The same into a buffer that is not zeroed before it is filled, for the large Workbook stream.
  struct Buffer {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;
    std::span<const uint8_t> bytes() const { return {data.get(), size}; }
  };
  std::optional<Buffer> readStreamBuffer(const std::string& path) const;

  // Opaque libgsf handle of the root (GsfInfile*), for the property-set reader in xls/.
  void* rawInfile() const;
  // What libgsf logged about this file so far (every method above collects it); callers of
  // rawInfile collect theirs with captureLibraryMessages.
  const LibraryMessages& libraryMessages() const;
  LibraryMessageCapture captureLibraryMessages() const;

 struct Impl;

 private:
  explicit CompoundFile(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace zel::xls

// The zip package of an Office 2007+ workbook: its parts by name, read through libgsf with a
// bound on each part's and on the whole package's inflated size, and the parts' relationships.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zel::xls::ooxml {

// Largest inflated part and largest inflated total read from one package (zip bombs).
inline constexpr uint64_t kMaxPartBytes = 1ull << 30;
inline constexpr uint64_t kMaxPackageBytes = 2ull << 30;
// Largest part read whole into memory (everything but worksheets, which are streamed).
inline constexpr uint64_t kMaxWholePartBytes = 64ull << 20;

class PackageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Relationship {
  std::string id;
  std::string type;    // the last segment of the type URI ("worksheet", "sharedStrings", ...)
  std::string target;  // absolute part name without the leading "/" or, when external, as written
  bool external = false;
  bool strict = false;  // a Strict Open XML relationship type
};

// A part opened for streaming; reads stop at the part and package bounds.
class PartStream {
 public:
  struct Impl;
  explicit PartStream(std::unique_ptr<Impl> impl);
  PartStream(PartStream&&) noexcept;
  ~PartStream();
  // Up to size bytes; 0 at the end. Throws PackageError past a bound or on a damaged entry.
  size_t read(uint8_t* buffer, size_t size);
  // The inflated size the zip directory states (a hint only: reads stop at the real end).
  uint64_t statedSize() const;

 private:
  std::unique_ptr<Impl> impl_;
};

class Package {
 public:
  // Throws PackageError when the bytes are not a readable zip archive.
  static Package open(const std::string& path);
  static Package openMemory(std::vector<uint8_t> bytes);
  Package(Package&&) noexcept;
  Package& operator=(Package&&) noexcept;
  ~Package();

  bool exists(const std::string& part) const;
  // The whole part (at most kMaxWholePartBytes); nullopt when missing.
  std::optional<std::string> read(const std::string& part) const;
  // The part for streaming; nullopt when missing.
  std::optional<PartStream> stream(const std::string& part) const;
  // The relationships of a part ("" for the package's own, _rels/.rels); none when missing.
  std::vector<Relationship> relationships(const std::string& part) const;

  struct Impl;

 private:
  explicit Package(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// A target URI with its %-escapes ("%20") decoded.
std::string percentDecoded(const std::string& s);

// The part a relative target names, seen from the folder of `source` ("xl/workbook.xml" +
// "worksheets/sheet1.xml" = "xl/worksheets/sheet1.xml"; "/xl/x.xml" is absolute).
std::string resolvePartName(const std::string& source, const std::string& target);

}  // namespace zel::xls::ooxml

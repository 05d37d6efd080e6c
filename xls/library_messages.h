// libgsf (through glib's log) reports what it finds wrong in a damaged file as CRITICAL and
// WARNING lines on stderr. The reader reports damage itself: while a LibraryMessageCapture
// lives on a thread, those messages are collected into its list instead, and the workbook
// turns them into one warning of its own.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace zel::xls {

// Messages kept word for word; later ones are only counted.
inline constexpr size_t kMaxLibraryMessages = 16;

struct LibraryMessages {
  std::vector<std::string> kept;
  size_t count = 0;
  // One warning line naming the first message and how many there were; "" when none.
  std::string summary() const;
};

class LibraryMessageCapture {
 public:
  explicit LibraryMessageCapture(LibraryMessages& into);
  ~LibraryMessageCapture();
  LibraryMessageCapture(const LibraryMessageCapture&) = delete;
  LibraryMessageCapture& operator=(const LibraryMessageCapture&) = delete;

 private:
  LibraryMessages* previous_;
};

}  // namespace zel::xls

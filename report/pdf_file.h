// A PDF file written object by object: numbers handed out in advance, each object written
// once, streams deflated, the cross-reference table and trailer at the end.
#pragma once
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zel::report::pdf {

class PdfFile {
 public:
  // Opens (creates or truncates) the file and writes the header; see ok().
  explicit PdfFile(const std::string& path);
  PdfFile(const PdfFile&) = delete;
  PdfFile& operator=(const PdfFile&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  // A new object number, to be written later with object() or stream().
  int reserve();
  // Writes object `id` whose body (a dictionary, array, ...) is given whole.
  void object(int id, std::string_view body);
  // Writes stream object `id`: `dict` are the dictionary's entries without << >>; /Length
  // and, when deflated, /Filter are added.
  void stream(int id, std::string_view dict, std::string_view data, bool deflate = true);
  // Writes the cross-reference table and trailer and closes the file. False (see error())
  // when any write failed or an object number was handed out and never written.
  bool finish(int catalogId, int infoId);

 private:
  void put(std::string_view s);
  void fail(const std::string& why);

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
  std::string buffer_;
  long long written_ = 0;
  std::vector<long long> offsets_;  // by object number - 1; -1 until written
  std::string error_;
};

// A text string for the document information: UTF-16BE with its byte-order mark, as hex.
std::string textString(std::string_view utf8);

}  // namespace zel::report::pdf

// Writing of PDF objects and the file's closing cross-reference table.
#include "report/pdf_file.h"

#include "report/pdf_number.h"
#include "report/text_measure.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>

namespace zel::report::pdf {
namespace {

constexpr size_t kFlushAt = 1 << 20;
// Fast deflate: page contents are long runs of similar operators, and the best levels
// cost several times the time for a few per cent of size.
constexpr int kDeflateLevel = 3;

int closeFile(std::FILE* f) { return f ? std::fclose(f) : 0; }

}  // namespace

PdfFile::PdfFile(const std::string& path) : file_(std::fopen(path.c_str(), "wb"), closeFile) {
  if (!file_) {
    fail(std::strerror(errno));
    return;
  }
  // The second line's bytes above 127 tell transfer programs the file is binary.
  put("%PDF-1.5\n%\xE2\xE3\xCF\xD3\n");
}

int PdfFile::reserve() {
  offsets_.push_back(-1);
  return static_cast<int>(offsets_.size());
}

void PdfFile::object(int id, std::string_view body) {
  if (id < 1 || id > static_cast<int>(offsets_.size()) || offsets_[id - 1] >= 0) {
    fail("object " + std::to_string(id) + " written twice or never reserved");
    return;
  }
  offsets_[id - 1] = written_ + static_cast<long long>(buffer_.size());
  put(std::to_string(id));
  put(" 0 obj\n");
  put(body);
  put("\nendobj\n");
}

void PdfFile::stream(int id, std::string_view dict, std::string_view data, bool deflate) {
  std::string packed;
  if (deflate) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    packed.resize(size);
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), kDeflateLevel) != Z_OK) {
      fail("cannot compress a stream");
      return;
    }
    packed.resize(size);
    data = packed;
  }
  std::string body = "<<";
  body += dict;
  body += deflate ? " /Filter /FlateDecode /Length " : " /Length ";
  body += std::to_string(data.size());
  body += ">>\nstream\n";
  body += data;
  body += "\nendstream";
  object(id, body);
}

bool PdfFile::finish(int catalogId, int infoId) {
  for (size_t i = 0; i < offsets_.size() && ok(); ++i)
    if (offsets_[i] < 0) fail("object " + std::to_string(i + 1) + " was never written");
  if (!ok()) return false;
  const long long xref = written_ + static_cast<long long>(buffer_.size());
  std::string table = "xref\n0 " + std::to_string(offsets_.size() + 1) + "\n0000000000 65535 f \n";
  char entry[24];
  for (long long off : offsets_) {
    std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", off);
    table += entry;
  }
  table += "trailer\n<</Size " + std::to_string(offsets_.size() + 1) + " /Root " + std::to_string(catalogId) +
           " 0 R /Info " + std::to_string(infoId) + " 0 R>>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  put(table);
  if (ok() && !buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size())
    fail(std::strerror(errno));
  buffer_.clear();
  if (ok() && std::fflush(file_.get()) != 0) fail(std::strerror(errno));
  if (std::fclose(file_.release()) != 0 && ok()) fail(std::strerror(errno));
  return ok();
}

void PdfFile::put(std::string_view s) {
  if (!ok()) return;
  buffer_ += s;
  if (buffer_.size() >= kFlushAt) {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size()) {
      fail(std::strerror(errno));
      return;
    }
    written_ += static_cast<long long>(buffer_.size());
    buffer_.clear();
  }
}

void PdfFile::fail(const std::string& why) {
  if (error_.empty()) error_ = why.empty() ? "write error" : why;
}

std::string textString(std::string_view utf8) {
  std::string out = "<FEFF";
  for (char32_t c : toU32(utf8)) appendUtf16Hex(out, c);
  return out + ">";
}

}  // namespace zel::report::pdf

// Result file name rule and copy.
#include "app/result_file_copy.h"

#include "app/core/vbstring.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zel {

std::string normalizeXdbPath(const std::string& path) {
  std::string base = path;
  if (vb::ucase(vb::mid(path, std::max<long>(1, vb::len(path) - 2))) == "XDB" && vb::len(path) >= 3)
    base = vb::left(path, std::max<long>(0, vb::len(path) - 4));
  return base + ".xdb";
}

bool CopyDbFile(const std::string& source, const std::string& destination, std::string* error) {
  std::error_code ec;
  fs::path target(destination);
  fs::path temp = target;
  temp += ".tmp" + std::to_string(::getpid());
  fs::copy_file(source, temp, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    if (error) *error = destination + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace zel

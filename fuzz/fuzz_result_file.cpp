// Fuzzes the checks on a result file we are asked to open: any bytes must give a SavedResult
// or a ResultFileError, never a crash or a hang.
#include "core/profile_file.h"
#include "core/result_file.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

const std::string& schema() {
  static const std::string text = [] {
    std::string s;
    zel::readSmallFile(std::string(ZEL_SOURCE_SHARE_DIR) + "/schema.sql", s);
    return s;
  }();
  return text;
}

std::string scratchPath() {
  static const std::string path = "/tmp/zel-fuzz-result-" + std::to_string(::getpid()) + ".xdb";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = scratchPath();
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  try {
    zel::readResultFile(path, schema());
  } catch (const zel::ResultFileError&) {
  }
  std::remove(path.c_str());
  return 0;
}

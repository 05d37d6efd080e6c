// Fuzzes the checked open of result files. An input starting with "SQL:" is run as SQL on a
// fresh valid result file (views, triggers, generated columns, odd tables and rows), then that
// file is checked; any other input is the file's bytes. Either way the check must give a
// SavedResult or a ResultFileError, and every table of an accepted file must read within its
// work budget: never a crash, a hang or stored SQL run.
#include "core/profile_file.h"
#include "core/result_file.h"
#include "core/result_store.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
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

// A result file as a save writes it: every table, one save row.
void writeValidFile(const std::string& path) {
  std::remove(path.c_str());
  zel::ResultDb db(path);
  db.exec(schema());
  zel::writeSaveFlagRow(db, "Book1.xls", {}, 1, {});
}

bool writeInput(const std::string& path, const uint8_t* data, size_t size) {
  static constexpr char kSqlPrefix[] = "SQL:";
  if (size >= 4 && std::memcmp(data, kSqlPrefix, 4) == 0) {
    writeValidFile(path);
    try {
      zel::ResultDb(path).exec(std::string(reinterpret_cast<const char*>(data) + 4, size - 4));
    } catch (const zel::DbError&) {
      // Statements before the failing one stay applied.
    }
    return true;
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = scratchPath();
  if (!writeInput(path, data, size)) return 0;
  try {
    zel::readResultFile(path, schema());
    zel::ResultDb db = zel::openResultFile(path, schema());
    for (const auto& table : zel::resultTableNames()) {
      try {
        db.query("SELECT * FROM " + table + " ORDER BY 1");
      } catch (const zel::DbError&) {
        // Damaged pages and the work budget end a query with an error, which is fine.
      }
    }
  } catch (const zel::ResultFileError&) {
  }
  std::remove(path.c_str());
  std::remove((path + "-journal").c_str());
  return 0;
}

// Test frame for the source analyses: an export folder of module files written by the
// test, a result database with the real schema, and a Progress that records its calls.
#pragma once
#include "source/source_analyses.h"
#include "support/temp_dir.h"

#include "core/program_folder.h"
#include "core/result_db.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace zel::test {

class RecordingProgress final : public Progress {
 public:
  void showGauge(long percent) override { gauges.push_back(percent); }
  void setStatus(std::string_view text) override { statuses.emplace_back(text); }
  std::vector<long> gauges;
  std::vector<std::string> statuses;
};

class SourceFixture : public ::testing::Test {
 protected:
  SourceFixture() : db(dir.file("Analyze.mdb")) {
    db.exec("PRAGMA synchronous=OFF");  // test databases need no disk syncs
    db.ensureSchema(readFile(shareFolder() + "/schema.sql"));
    std::filesystem::create_directories(tempPath());
  }

  std::string tempPath() const { return dir.file("temp") + "/"; }

  // Writes a module file from its lines, ended by CR LF.
  void module(const std::string& name, std::initializer_list<std::string> lines, const char* eol = "\r\n") {
    std::string text;
    for (const auto& l : lines) text += l + eol;
    writeFile(tempPath() + name, text);
  }

  void copyDataModule(const std::string& name) {
    std::filesystem::copy_file(dataFile("modules/" + name), tempPath() + name);
  }

  source::SourceRun run() { return source::SourceRun{db, progress, tempPath(), counts, options, flags}; }

  // Rows of a query, every value as text ("" for Null, "<null>" to tell Null apart).
  std::vector<std::vector<std::string>> rows(const std::string& sql) {
    std::vector<std::vector<std::string>> out;
    for (const auto& r : db.query(sql)) {
      std::vector<std::string> row;
      for (const auto& v : r) row.push_back(std::holds_alternative<std::monostate>(v) ? "<null>" : dbValueText(v));
      out.push_back(std::move(row));
    }
    return out;
  }

  long count(const std::string& table) {
    return static_cast<long>(std::get<int64_t>(db.query("SELECT COUNT(*) FROM " + table)[0][0]));
  }

  TempDir dir;
  ResultDb db;
  RecordingProgress progress;
  ModuleCounts counts{1, 0, 0, 0};
  AnalysisOptions options;
  DoneFlags flags;
};

using Rows = std::vector<std::vector<std::string>>;

}  // namespace zel::test

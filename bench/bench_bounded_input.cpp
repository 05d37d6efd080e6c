// Crafted inputs that are well-formed but huge, and the work the reader spends on them: a
// project of 4 096 modules (finding each module's kind), four modules of 5.5 million empty
// lines each (within the byte limits, beyond the editor's line limit), and a 15 MB Zelvarin.ini read for the add-in folders.
// The workbooks are left in the temporary folder (zel_bench_bounded_*.xls) for timing
// zelvarin-cli on them.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "core/profile_file.h"
#include "core/program_folder.h"
#include "workbook/addin_list.h"
#include "xls/compound_file.h"
#include "xls/vba/vba_project.h"
// The test builders are compiled into this program directly: benchmarks do not link the
// test-support library.
#include "support/biff_builder.cpp"
#include "support/vba_builder.cpp"

namespace fs = std::filesystem;

namespace {

constexpr int kManyModules = 4096;
constexpr size_t kEmptyLines = 5'500'000;  // per module: 22 million in all
constexpr size_t kIniBytes = 15u << 20;

std::string scratch(const std::string& name) { return (fs::temp_directory_path() / name).string(); }

void writeWorkbook(const std::string& path, const zel::test::VbaProjectSpec& spec) {
  zel::test::BiffBuilder b;
  b.addSheet("Sheet1");
  for (const auto& [name, bytes] : zel::test::vbaWorkbookStreams(spec))
    if (name != "Workbook") b.addStream(name, bytes);
  b.write(path);
}

const std::string& manyModulesBook() {
  static const std::string path = [] {
    zel::test::VbaProjectSpec spec;
    for (int i = 0; i < kManyModules; ++i) {
      zel::test::VbaModuleSpec m;
      m.name = "Module" + std::to_string(i);
      m.source = "Attribute VB_Name = \"" + m.name + "\"\r\nSub P" + std::to_string(i) + "()\r\nEnd Sub\r\n";
      spec.modules.push_back(m);
    }
    std::string p = scratch("zel_bench_bounded_modules.xls");
    writeWorkbook(p, spec);
    return p;
  }();
  return path;
}

const std::string& emptyLinesBook() {
  static const std::string path = [] {
    zel::test::VbaProjectSpec spec;
    for (int i = 0; i < 4; ++i) {
      zel::test::VbaModuleSpec m;
      m.name = "Lines" + std::to_string(i);
      m.source = "Attribute VB_Name = \"" + m.name + "\"\r\n";
      for (size_t k = 0; k < kEmptyLines; ++k) m.source += "\r\n";
      spec.modules.push_back(m);
    }
    spec.useRawChunks = true;
    std::string p = scratch("zel_bench_bounded_lines.xls");
    writeWorkbook(p, spec);
    return p;
  }();
  return path;
}

const zel::ProgramPaths& largeIniFolder() {
  static const zel::ProgramPaths paths = [] {
    std::string folder = scratch("zel_bench_bounded_home");
    fs::create_directories(folder);
    std::ofstream ini(folder + "/Zelvarin.ini", std::ios::binary);
    ini << "[ADDIN]\r\n";
    for (int i = 1; i <= 1000; ++i) ini << "Folder" << i << "=/nonexistent/addins" << i << "\r\n";
    ini << "[PAD]\r\n";
    size_t written = 0;
    for (int i = 0; written < kIniBytes; ++i) {
      std::string line = "Key" + std::to_string(i) + "=" + std::string(100, 'v') + "\r\n";
      ini << line;
      written += line.size();
    }
    return zel::programPathsFor(folder);
  }();
  return paths;
}

void exportBook(benchmark::State& state, const std::string& book) {
  const std::string out = scratch("zel_bench_bounded_export");
  size_t files = 0, failures = 0;
  for (auto _ : state) {
    auto file = zel::xls::CompoundFile::open(book);
    auto summary = zel::xls::vba::replaceExportedModules(file, out);
    files = summary.files.size();
    failures = summary.failures.size();
  }
  state.counters["files"] = static_cast<double>(files);
  state.counters["failures"] = static_cast<double>(failures);
  std::error_code ec;
  fs::remove_all(out, ec);
}

void BM_ExportManyModules(benchmark::State& state) { exportBook(state, manyModulesBook()); }
BENCHMARK(BM_ExportManyModules)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ExportModulesOfManyEmptyLines(benchmark::State& state) { exportBook(state, emptyLinesBook()); }
BENCHMARK(BM_ExportModulesOfManyEmptyLines)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_AddInFoldersFromLargeIni(benchmark::State& state) {
  size_t folders = 0;
  for (auto _ : state) folders = zel::workbook::addInFolders(largeIniFolder()).size();
  state.counters["folders"] = static_cast<double>(folders);
}
BENCHMARK(BM_AddInFoldersFromLargeIni)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same keys read one at a time, the whole file parsed again for each (as the add-in list
// did before it read the section once): the cost the single read saves.
void BM_AddInFoldersKeyByKey(benchmark::State& state) {
  size_t folders = 0;
  for (auto _ : state) {
    folders = 0;
    for (int i = 1; i <= 1000; ++i) {
      if (zel::getPrivateProfileString("ADDIN", "Folder" + std::to_string(i), "", largeIniFolder().IniPath).empty())
        break;
      ++folders;
    }
  }
  state.counters["folders"] = static_cast<double>(folders);
}
BENCHMARK(BM_AddInFoldersKeyByKey)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

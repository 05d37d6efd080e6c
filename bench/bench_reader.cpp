// Open-and-walk throughput of the workbook reader: a generated workbook of 65 536 rows x 20
// columns (1.31 M cells, a quarter of them formulas); every cell's value and formula text is
// read. After the benchmark, python3-xlrd opens the same file, and the ratio of the two times
// (wall and CPU, the best of the runs each) and this process's peak memory are printed.
// BM_AnalyzeObjectAndCell runs `zelvarin-cli analyze BOOK --only object,cell --set ObjectLevel=3
// --set CellOption=1` on the same file (SQLite writes and the result file included) and
// reports its wall time, CPU time and peak memory.
// ZEL_BENCH_KEEP=1 keeps the generated workbook (its path is printed) for other measurements.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "bench_process.h"
#include "xls/excel_model.h"
// The test workbook builder is compiled into this program directly: benchmarks do not link
// the test-support library.
#include "support/biff_builder.cpp"
#include "support/vba_builder.cpp"

namespace {

constexpr int kRows = 65536;
constexpr int kColumns = 20;
constexpr int kFormulaColumns = 5;  // a quarter of 20

std::string benchFile() {
  static const std::string path = (std::filesystem::temp_directory_path() / "zel_bench_reader.xls").string();
  return path;
}

void generateWorkbook(const std::string& path) {
  using zel::test::Bytes;
  zel::test::BiffBuilder b;
  b.sst({"north", "south", "east", "west"});
  int s = b.addSheet("Data");
  for (int r = 0; r < kRows; ++r) {
    auto row = static_cast<uint16_t>(r);
    for (int c = 0; c < kColumns; ++c) {
      auto col = static_cast<uint16_t>(c);
      if (c < kFormulaColumns) {
        // =F{r}*2+G{r}: references to the constant columns of the same row
        Bytes rgce;
        rgce.u8(0x24).u16(row).u16(static_cast<uint16_t>(0xC000 | (kFormulaColumns + c))).u8(0x1E).u16(2).u8(0x05);
        rgce.u8(0x24).u16(row).u16(static_cast<uint16_t>(0xC000 | (kFormulaColumns + c + 1))).u8(0x03);
        b.formula(s, row, col, rgce, r * 3.0);
      } else if (c % 4 == 0) {
        b.labelSst(s, row, col, static_cast<uint32_t>(r % 4));
      } else {
        b.number(s, row, col, r + c / 10.0);
      }
    }
  }
  b.write(path);
}

// Best wall and CPU seconds of one open-and-walk.
double bestWall = 1e9, bestCpu = 1e9;

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_OpenAndWalk(benchmark::State& state) {
  long cells = 0, formulas = 0;
  for (auto _ : state) {
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = cpuSeconds();
    auto book = zel::xls::Workbook::open(benchFile());
    cells = formulas = 0;
    for (const zel::xls::Cell& c : book->sheet(1).usedRange()) {
      benchmark::DoNotOptimize(c.value());
      std::string f = c.formula();
      formulas += !f.empty() && f[0] == '=';
      ++cells;
    }
    book.reset();
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall0;
    bestWall = std::min(bestWall, wall.count());
    bestCpu = std::min(bestCpu, cpuSeconds() - cpu0);
  }
  state.counters["cells"] = static_cast<double>(cells);
  state.counters["formulas"] = static_cast<double>(formulas);
  state.counters["peakRssMB"] = static_cast<double>(zel::bench::peakRssMb());
}
BENCHMARK(BM_OpenAndWalk)->Unit(benchmark::kMillisecond)->Iterations(3);

#ifdef ZEL_CLI_PATH
// One zelvarin-cli analyze run in a child process, with its own program folder.
void BM_AnalyzeObjectAndCell(benchmark::State& state) {
  const auto home = std::filesystem::temp_directory_path() / "zel_bench_reader_home";
  const std::string output = (std::filesystem::temp_directory_path() / "zel_bench_reader_result.xdb").string();
  std::filesystem::create_directories(home);
  std::vector<std::string> args = {ZEL_CLI_PATH, "analyze", benchFile(), "--only", "object,cell", "--set", "ObjectLevel=3",
                                   "--set", "CellOption=1", "--home", home.string(), "-o", output};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  double bestAnalyzeWall = 1e9, bestAnalyzeCpu = 1e9;
  long childPeak = 0;
  for (auto _ : state) {
    std::filesystem::remove(output);
    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    const auto wall0 = std::chrono::steady_clock::now();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0 || waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("zelvarin-cli analyze failed");
      break;
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall0;
    getrusage(RUSAGE_CHILDREN, &after);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    const double cpu = seconds(after.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_utime) - seconds(before.ru_stime);
    bestAnalyzeWall = std::min(bestAnalyzeWall, wall.count());
    bestAnalyzeCpu = std::min(bestAnalyzeCpu, cpu);
    childPeak = after.ru_maxrss / 1024;  // the largest child so far: the analyze runs
  }
  state.counters["bestWallS"] = bestAnalyzeWall;
  state.counters["bestCpuS"] = bestAnalyzeCpu;
  state.counters["childPeakRssMB"] = static_cast<double>(childPeak);
  std::filesystem::remove(output);
  std::filesystem::remove_all(home);
}
BENCHMARK(BM_AnalyzeObjectAndCell)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
#endif

// Runs xlrd's open_workbook on the same file and prints both times against ours.
void compareWithXlrd() {
  std::cout << "zelvarin open+walk: " << bestWall << " s wall, " << bestCpu << " s CPU; peak RSS " << zel::bench::peakRssMb()
            << " MB\n";
  std::string cmd = "/usr/bin/python3 -c \"import time,xlrd; t=time.time(); c=time.process_time(); b=xlrd.open_workbook('" +
                    benchFile() + "'); print('%.3f %.3f %d' % (time.time()-t, time.process_time()-c, b.sheet_by_index(0).nrows))\" 2>/dev/null";
  double wall = 0, cpu = 0;
  long rows = 0;
  FILE* p = popen(cmd.c_str(), "r");
  bool ok = p && std::fscanf(p, "%lf %lf %ld", &wall, &cpu, &rows) == 3;
  if (p) ok = pclose(p) == 0 && ok;
  if (!ok || wall <= 0 || cpu <= 0) {
    std::cout << "python3-xlrd could not be run\n";
    return;
  }
  std::cout << "python3-xlrd open_workbook: " << wall << " s wall, " << cpu << " s CPU (" << rows << " rows)\n";
  std::cout << "ratio zelvarin/xlrd: " << bestWall / wall << " wall, " << bestCpu / cpu << " CPU (goal <= 0.2); peak RSS "
            << zel::bench::peakRssMb() << " MB (goal <= 200)\n";
}

}  // namespace

int main(int argc, char** argv) {
  auto start = std::chrono::steady_clock::now();
  if (!zel::bench::generateInChildProcess([] { generateWorkbook(benchFile()); })) {
    std::cerr << "could not generate the workbook\n";
    return 1;
  }
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::cout << "generated " << benchFile() << " (" << std::filesystem::file_size(benchFile()) / 1024 << " KiB) in "
            << took.count() << " s\n";
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  compareWithXlrd();
  if (std::getenv("ZEL_BENCH_KEEP")) std::cout << "kept " << benchFile() << "\n";
  else std::filesystem::remove(benchFile());
  return 0;
}

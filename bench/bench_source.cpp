// Macro source analyses on a generated export folder: 200 standard modules of 1 000 lines
// each (declarations, procedures, calls, comments, continued lines, Japanese text), and the
// entry-point map on 50 to 200 such modules.
#include "source/entry_map.h"
#include "source/name_matcher.h"
#include "source/source_analyses.h"

#include "core/vbstring.h"

#include "core/program_folder.h"
#include "core/result_db.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kModules = 200;
constexpr int kLinesPerModule = 1000;

// Writes one module of exactly kLinesPerModule lines with procsPerModule procedures.
std::string generateModule(int m, int procsPerModule, int firstProc, int totalProcs) {
  std::ostringstream out;
  int lines = 0;
  auto line = [&](const std::string& s) {
    out << s << "\r\n";
    ++lines;
  };
  line("Attribute VB_Name = \"Module" + std::to_string(m) + "\"");
  line("Option Explicit");
  line("' 生成されたモジュール " + std::to_string(m));
  line("Private Const MAX_ROW" + std::to_string(m) + " = 100 ' 最大行");
  line("Public gTotal" + std::to_string(m) + " As Long, gName" + std::to_string(m) + " As String");
  line("Private Type Rec" + std::to_string(m));
  line("    Id As Long ' 番号");
  line("    Name As String");
  line("End Type");
  const int body = (kLinesPerModule - lines) / procsPerModule;  // lines per procedure
  for (int p = 0; p < procsPerModule; ++p) {
    const int id = firstProc + p;
    const std::string name = "Proc" + std::to_string(id);
    const std::string callee = "Proc" + std::to_string((id * 7919 + 13) % totalProcs);
    const int start = lines;
    if (body >= 6) {
      line("Public Function " + name + "(ByVal a As Long, _");
      line("        ByVal b As String) As Long");
    } else {
      line("Public Function " + name + "(ByVal a As Long, ByVal b As String) As Long");
    }
    const int last = start + body - 1;
    int i = 0;
    while (lines < last) {
      switch (i++ % 8) {
        case 0: line("    v" + std::to_string(i) + " = " + callee + "(a, b)"); break;
        case 1: line("    Dim v" + std::to_string(i) + " As Long ' カウンタ"); break;
        case 2: line("    ' 処理の説明: 値を集計する"); break;
        case 3: line("    Call " + callee + "(a + 1, \"文字列\")"); break;
        case 4: line(""); break;
        case 5: line("    If a > 0 Then a = a - 1"); break;
        case 6: line("    Rem 古いコメント"); break;
        default: line("    MsgBox \"結果\" & CStr(a) & b, vbOKOnly"); break;
      }
    }
    line("End Function");
  }
  while (lines < kLinesPerModule) line("");
  return out.str();
}

struct Project {
  explicit Project(int totalProcs, int modules = kModules) : counts{modules, 0, 0, 0} {
    char tmpl[] = "/tmp/zel_bench_source_XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    root = tmpl;
    temp = (root / "temp").string() + "/";
    fs::create_directories(temp);
    int first = 0;
    for (int m = 0; m < modules; ++m) {
      const int procs = std::max(1, totalProcs / modules + (m < totalProcs % modules ? 1 : 0));
      std::ofstream(temp + "Module" + std::to_string(m) + ".bas", std::ios::binary)
          << generateModule(m, procs, first, totalProcs);
      first += procs;
    }
    // The workbook module starts the code: on open, on a timer and by Run.
    std::ofstream(temp + "ThisWorkbook.bok", std::ios::binary)
        << "Attribute VB_Name = \"ThisWorkbook\"\r\nPrivate Sub Workbook_Open()\r\n    Proc0 1, \"a\"\r\n"
           "    Application.OnTime Now, \"Proc1\"\r\n    Application.Run \"Module0.Proc2\"\r\nEnd Sub\r\n";
    db = std::make_unique<zel::ResultDb>((root / "Analyze.mdb").string());
    std::ifstream schema(zel::shareFolder() + "/schema.sql");
    std::stringstream ss;
    ss << schema.rdbuf();
    db->ensureSchema(ss.str());
  }
  ~Project() {
    db.reset();
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  fs::path root;
  std::string temp;
  std::unique_ptr<zel::ResultDb> db;
  zel::ModuleCounts counts;
};

Project& project(int totalProcs, int modules = kModules) {
  static std::map<std::pair<int, int>, std::unique_ptr<Project>> projects;
  auto& p = projects[{totalProcs, modules}];
  if (!p) p = std::make_unique<Project>(totalProcs, modules);
  return *p;
}

template <class Analysis>
void runAnalysis(benchmark::State& state, int totalProcs, zel::AnalysisOptions options, Analysis analysis,
                 int modules = kModules) {
  Project& p = project(totalProcs, modules);
  zel::NullProgress progress;
  for (auto _ : state) {
    zel::DoneFlags flags;
    zel::source::SourceRun run{*p.db, progress, p.temp, p.counts, options, flags};
    benchmark::DoNotOptimize(analysis(run));
  }
  const double lines = static_cast<double>(modules) * kLinesPerModule;
  state.counters["lines/s"] = benchmark::Counter(lines * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}

constexpr int kDefaultProcs = 4000;  // 20 procedures of ~50 lines per module

void BM_Kansu(benchmark::State& state) {
  zel::AnalysisOptions o;
  o.ProcLevel = 2;
  runAnalysis(state, kDefaultProcs, o, zel::source::runKansu);
}
BENCHMARK(BM_Kansu)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ModuleAllKinds(benchmark::State& state) {
  zel::AnalysisOptions o;
  o.ModuleKind = 6;
  runAnalysis(state, kDefaultProcs, o, zel::source::runModule);
}
BENCHMARK(BM_ModuleAllKinds)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Hensu(benchmark::State& state) { runAnalysis(state, kDefaultProcs, {}, zel::source::runHensu); }
BENCHMARK(BM_Hensu)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ModStep(benchmark::State& state) { runAnalysis(state, kDefaultProcs, {}, zel::source::runModStep); }
BENCHMARK(BM_ModStep)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Comment(benchmark::State& state) { runAnalysis(state, kDefaultProcs, {}, zel::source::runComment); }
BENCHMARK(BM_Comment)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same 200 000 lines with 500, 5 000 and 50 000 declared procedures: the time should
// hardly change with the size of the procedure table.
void BM_InyoSaki(benchmark::State& state) {
  runAnalysis(state, static_cast<int>(state.range(0)), {}, zel::source::runInyoSaki);
  state.counters["procedures"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_InyoSaki)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The entry-point map on 50, 100 and 200 modules of 1 000 lines (20 procedures each, every
// procedure calling another): the time per line should stay the same as the project grows.
void BM_EntryPoints(benchmark::State& state) {
  const int modules = static_cast<int>(state.range(0));
  runAnalysis(
      state, modules * 20, {},
      [](zel::source::SourceRun& run) { return zel::source::runEntryPoints(run, {}); }, modules);
  state.counters["modules"] = static_cast<double>(modules);
}
BENCHMARK(BM_EntryPoints)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

std::vector<std::u16string> matcherNames(int count) {
  std::vector<std::u16string> names;
  for (int i = 0; i < count; ++i) names.push_back(u"Proc" + zel::toU16(std::to_string(i * 7)));
  return names;
}

std::vector<std::u16string> matcherLines(int lineCount, int nameCount) {
  std::vector<std::u16string> lines;
  for (int i = 0; i < lineCount; ++i)
    lines.push_back(u"    v = Helper" + zel::toU16(std::to_string(i)) + u"(a, \"文字列\") + Proc" +
                    zel::toU16(std::to_string((i * 7919) % (nameCount * 8))));
  return lines;
}

// The matcher alone: 200 000 lines against 500 ... 50 000 names.
void BM_FirstNameMatcher(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const zel::source::FirstNameMatcher matcher(matcherNames(count));
  const std::vector<std::u16string> lines = matcherLines(200000, count);
  for (auto _ : state) {
    long found = 0;
    for (const auto& l : lines) found += matcher.firstIn(l) >= 0;
    benchmark::DoNotOptimize(found);
  }
  state.counters["lines/s"] =
      benchmark::Counter(200000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FirstNameMatcher)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

// For comparison, the table searched name by name in order, on 2 000 lines only.
void BM_LiteralTableLoop(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<std::u16string> names = matcherNames(count);
  const std::vector<std::u16string> lines = matcherLines(2000, count);
  for (auto _ : state) {
    long found = 0;
    for (const auto& l : lines) {
      for (const auto& n : names) {
        if (l.find(n) != std::u16string::npos) {
          ++found;
          break;
        }
      }
    }
    benchmark::DoNotOptimize(found);
  }
  state.counters["lines/s"] =
      benchmark::Counter(2000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LiteralTableLoop)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

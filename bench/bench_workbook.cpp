// The slow workbook analyses on a generated 65 536 x 20 workbook (a quarter of the cells
// formulas): the detailed object inventory, the cell listing and the time estimate. Reports
// used-range cells per second beside the rate the time estimate assumes (kEstimatedCellsPerMinute
// is set from these runs: the listed rows per second of BM_CellListingFormulas for a worst case).
#include "core/program_folder.h"
#include "core/result_store.h"
#include "workbook/cell_listing.h"
#include "workbook/model_book_view.h"
#include "workbook/object_inventory.h"
#include "workbook/time_estimate.h"

#include <benchmark/benchmark.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-utils.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kRows = 65536;
constexpr uint16_t kCols = 20;
constexpr int64_t kCells = int64_t{kRows} * kCols;

// A BIFF8 record stream written record by record.
class BiffWriter {
 public:
  std::vector<uint8_t> bytes;
  void record(uint16_t id, const std::vector<uint8_t>& data) {
    put16(bytes, id);
    put16(bytes, static_cast<uint16_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
  }
  static void put16(std::vector<uint8_t>& v, uint16_t x) { v.push_back(x & 0xFF), v.push_back(x >> 8); }
  static void put32(std::vector<uint8_t>& v, uint32_t x) { put16(v, x & 0xFFFF), put16(v, x >> 16); }
  static void putDouble(std::vector<uint8_t>& v, double d) {
    uint8_t b[8];
    std::memcpy(b, &d, 8);
    v.insert(v.end(), b, b + 8);
  }
};

std::vector<uint8_t> bof(uint16_t type) {
  std::vector<uint8_t> d;
  BiffWriter::put16(d, 0x0600), BiffWriter::put16(d, type), BiffWriter::put16(d, 0x0DBB), BiffWriter::put16(d, 0x07CC);
  BiffWriter::put32(d, 0), BiffWriter::put32(d, 0x06);
  return d;
}

// Workbook stream: one sheet "Data", columns A..T; every fourth column holds =A<row>+1.
std::vector<uint8_t> generateWorkbookStream() {
  BiffWriter w;
  w.record(0x0809, bof(0x0005));
  w.record(0x0042, {0xB0, 0x04});  // CODEPAGE 1200
  const size_t boundSheetAt = w.bytes.size() + 4;
  w.record(0x0085, {0, 0, 0, 0, 0, 0, 4, 0, 'D', 'a', 't', 'a'});
  w.record(0x000A, {});
  const uint32_t sheetAt = static_cast<uint32_t>(w.bytes.size());
  std::memcpy(&w.bytes[boundSheetAt], &sheetAt, 4);
  w.record(0x0809, bof(0x0010));
  std::vector<uint8_t> dim;
  BiffWriter::put32(dim, 0), BiffWriter::put32(dim, kRows), BiffWriter::put16(dim, 0), BiffWriter::put16(dim, kCols);
  BiffWriter::put16(dim, 0);
  w.record(0x0200, dim);
  std::vector<uint8_t> d;
  for (uint32_t r = 0; r < kRows; ++r) {
    for (uint16_t c = 0; c < kCols; ++c) {
      d.clear();
      BiffWriter::put16(d, static_cast<uint16_t>(r)), BiffWriter::put16(d, c), BiffWriter::put16(d, 15);
      const double value = r * 100.0 + c;
      BiffWriter::putDouble(d, value);
      if (c % 4 != 3) {
        w.record(0x0203, d);  // NUMBER
        continue;
      }
      BiffWriter::put16(d, 0), BiffWriter::put32(d, 0);             // grbit, chn
      const std::vector<uint8_t> rgce{0x24, static_cast<uint8_t>(r & 0xFF), static_cast<uint8_t>(r >> 8), 0x00, 0xC0,
                                      0x1E, 0x01, 0x00, 0x03};      // tRef A<row> (relative), tInt 1, tAdd
      BiffWriter::put16(d, static_cast<uint16_t>(rgce.size()));
      d.insert(d.end(), rgce.begin(), rgce.end());
      w.record(0x0006, d);  // FORMULA
    }
  }
  w.record(0x000A, {});
  return w.bytes;
}

struct GObjectUnref {
  void operator()(void* p) const { g_object_unref(p); }
};

// The stream inside a compound file image.
std::vector<uint8_t> compoundFileWith(const std::vector<uint8_t>& workbook) {
  std::unique_ptr<GsfOutput, GObjectUnref> sink(gsf_output_memory_new());
  {
    std::unique_ptr<GsfOutfile, GObjectUnref> root(gsf_outfile_msole_new(sink.get()));
    std::unique_ptr<GsfOutput, GObjectUnref> stream(gsf_outfile_new_child(root.get(), "Workbook", FALSE));
    gsf_output_write(stream.get(), workbook.size(), workbook.data());
    gsf_output_close(stream.get());
    gsf_output_close(GSF_OUTPUT(root.get()));  // also closes the sink
  }
  auto* mem = GSF_OUTPUT_MEMORY(sink.get());
  const guint8* data = gsf_output_memory_get_bytes(mem);
  return std::vector<uint8_t>(data, data + gsf_output_size(sink.get()));
}

struct Generated {
  std::unique_ptr<zel::xls::Workbook> book;
  std::unique_ptr<zel::workbook::ModelBookView> view;
  std::string home;
  zel::ProgramPaths paths;
  Generated() {
    home = (std::filesystem::temp_directory_path() / ("zel-bench-wb-" + std::to_string(::getpid()))).string();
    paths = zel::programPathsFor(home);
    zel::prepareProgramFolder(paths);
    // The book row reads the file's size and date, so the workbook is opened from disk.
    const std::string path = paths.AppPath + "Generated.xls";
    const std::vector<uint8_t> image = compoundFileWith(generateWorkbookStream());
    std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!out || std::fwrite(image.data(), 1, image.size(), out.get()) != image.size()) throw std::runtime_error("cannot write " + path);
    out.reset();
    book = zel::xls::Workbook::open(path);
    view = std::make_unique<zel::workbook::ModelBookView>(*book);
  }
  ~Generated() {
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
  }
};

Generated& generated() {
  static Generated g;
  return g;
}

void addRates(benchmark::State& state) {
  state.counters["cells_per_s"] = benchmark::Counter(static_cast<double>(kCells) * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["estimate_cells_per_s"] = static_cast<double>(zel::workbook::kEstimatedCellsPerMinute) / 60.0;
}

void BM_ObjectInventoryDetailed(benchmark::State& state) {
  Generated& g = generated();
  zel::ResultDb db = zel::openAnalyzeDb(g.paths);
  zel::NullProgress progress;
  zel::AnalysisOptions options;
  options.ObjectLevel = 3;
  zel::DoneFlags flags;
  for (auto _ : state) {
    flags.fObj = 0;
    zel::workbook::RunContext ctx{db, progress, options, flags, g.paths, "", {}};
    zel::workbook::AnalysisOutcome out = zel::workbook::runObjectInventory(ctx, *g.view);
    benchmark::DoNotOptimize(out);
  }
  addRates(state);
}

void runCells(benchmark::State& state, int option) {
  Generated& g = generated();
  zel::ResultDb db = zel::openAnalyzeDb(g.paths);
  zel::NullProgress progress;
  zel::AnalysisOptions options;
  options.CellOption = option;
  zel::DoneFlags flags;
  std::string cellSheetName;
  for (auto _ : state) {
    flags.fCel = 0;
    zel::workbook::RunContext ctx{db, progress, options, flags, g.paths, "", {}};
    zel::workbook::AnalysisOutcome out = zel::workbook::runCellListing(ctx, *g.view, "", cellSheetName);
    benchmark::DoNotOptimize(out);
  }
  addRates(state);
  state.counters["rows"] = static_cast<double>(std::get<int64_t>(db.query("SELECT COUNT(*) FROM T_XlCalc")[0][0]));
}

void BM_CellListingBoth(benchmark::State& state) { runCells(state, 3); }
void BM_CellListingFormulas(benchmark::State& state) { runCells(state, 1); }

void BM_TimeEstimate(benchmark::State& state) {
  Generated& g = generated();
  int64_t minutes = 0;
  for (auto _ : state) minutes = zel::workbook::estimatedMinutes(zel::workbook::usedRangeCellTotal(*g.view));
  state.counters["estimated_minutes"] = static_cast<double>(minutes);
}

}  // namespace

BENCHMARK(BM_ObjectInventoryDetailed)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CellListingBoth)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CellListingFormulas)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_TimeEstimate)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

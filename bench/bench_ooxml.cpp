// Open-and-walk throughput of the Office 2007+ reader: a generated .xlsx of 65 536 rows x 20
// columns (1.31 M cells), a quarter of them formulas (half of those shared). After the
// benchmark, python3-openpyxl in read-only mode walks the same file and the ratio is printed.
#include <benchmark/benchmark.h>
#include <gsf/gsf-outfile-zip.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "bench_process.h"
#include "xls/excel_model.h"
#include "xls/formula/formula_printer.h"

namespace {

constexpr int kRows = 65536;
constexpr int kColumns = 20;
constexpr int kFormulaColumns = 5;  // a quarter of 20

struct Unref {
  void operator()(void* p) const {
    if (p) g_object_unref(p);
  }
};

std::string benchFile() {
  static const std::string path = (std::filesystem::temp_directory_path() / "zel_bench_ooxml.xlsx").string();
  return path;
}

void addPart(GsfOutfile* zip, const std::string& name, const std::string& content) {
  std::unique_ptr<GsfOutput, Unref> part(
      gsf_outfile_new_child_full(zip, name.c_str(), FALSE, "compression-level", GSF_ZIP_DEFLATED, nullptr));
  gsf_output_write(part.get(), content.size(), reinterpret_cast<const guint8*>(content.data()));
  gsf_output_close(part.get());
}

std::string sheetXml() {
  std::string x = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
  x.reserve(80u << 20);
  for (int r = 1; r <= kRows; ++r) {
    std::string row = std::to_string(r);
    x += "<row r=\"" + row + "\">";
    for (int c = 0; c < kColumns; ++c) {
      std::string ref = zel::xls::columnLetters(static_cast<uint16_t>(c)) + row;
      if (c < kFormulaColumns) {
        std::string f = zel::xls::columnLetters(static_cast<uint16_t>(kFormulaColumns + c)) + row + "*2+" +
                        zel::xls::columnLetters(static_cast<uint16_t>(kFormulaColumns + c + 1)) + row;
        if (c >= 3 && r > 1)  // shared with the first row's formula
          x += "<c r=\"" + ref + "\"><f t=\"shared\" si=\"" + std::to_string(c) + "\"/><v>" + std::to_string(r * 3) + "</v></c>";
        else if (c >= 3)
          x += "<c r=\"" + ref + "\"><f t=\"shared\" ref=\"" + ref + ":" + zel::xls::columnLetters(static_cast<uint16_t>(c)) +
               std::to_string(kRows) + "\" si=\"" + std::to_string(c) + "\">" + f + "</f><v>3</v></c>";
        else
          x += "<c r=\"" + ref + "\"><f>" + f + "</f><v>" + std::to_string(r * 3) + "</v></c>";
      } else if (c % 4 == 0) {
        x += "<c r=\"" + ref + "\" t=\"s\"><v>" + std::to_string(r % 4) + "</v></c>";
      } else {
        x += "<c r=\"" + ref + "\"><v>" + std::to_string(r + c / 10.0) + "</v></c>";
      }
    }
    x += "</row>";
  }
  return x + "</sheetData></worksheet>";
}

void generateWorkbook(const std::string& path) {
  gsf_init();
  std::unique_ptr<GsfOutput, Unref> file(gsf_output_stdio_new(path.c_str(), nullptr));
  std::unique_ptr<GsfOutfile, Unref> zip(gsf_outfile_zip_new(file.get(), nullptr));
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  addPart(zip.get(), "[Content_Types].xml",
          "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
          "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
          "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
          "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
          "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
          "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
          "</Types>");
  addPart(zip.get(), "_rels/.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" + rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
  addPart(zip.get(), "xl/workbook.xml",
          "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" + rel + "\"><sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
  addPart(zip.get(), "xl/_rels/workbook.xml.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
          "<Relationship Id=\"rId2\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>");
  addPart(zip.get(), "xl/sharedStrings.xml",
          "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>north</t></si><si><t>south</t></si><si><t>east</t></si><si><t>west</t></si></sst>");
  addPart(zip.get(), "xl/worksheets/sheet1.xml", sheetXml());
  gsf_output_close(GSF_OUTPUT(zip.get()));
}

// Opens the book and reads every cell's value and formula; returns the formula count.
long openAndWalk() {
  auto book = zel::xls::Workbook::open(benchFile());
  long formulas = 0;
  for (const zel::xls::Cell& c : book->sheet(1).usedRange()) {
    benchmark::DoNotOptimize(c.value());
    std::string f = c.formula();
    formulas += !f.empty() && f[0] == '=';
  }
  return formulas;
}

void BM_OpenAndWalkXlsx(benchmark::State& state) {
  long formulas = 0;
  for (auto _ : state) formulas = openAndWalk();
  state.counters["cells"] = static_cast<double>(kRows) * kColumns;
  state.counters["formulas"] = static_cast<double>(formulas);
  state.counters["peakRssMB"] = static_cast<double>(zel::bench::peakRssMb());
}
BENCHMARK(BM_OpenAndWalkXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);

// openpyxl (read-only) walking every cell's value: its wall and CPU seconds; false when it
// could not be run.
struct Seconds {
  double wall = 0, cpu = 0;
};
bool timeOpenpyxl(Seconds& out) {
  std::string cmd = "/usr/bin/python3 -c \"import time,openpyxl; t=time.time(); c=time.process_time(); b=openpyxl.load_workbook('" +
                    benchFile() +
                    "', read_only=True); n=sum(1 for row in b.worksheets[0].iter_rows(values_only=True) for v in row); "
                    "print('%.3f %.3f %d' % (time.time()-t, time.process_time()-c, n))\" 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
  if (!pipe) return false;
  long cells = 0;
  if (std::fscanf(pipe.get(), "%lf %lf %ld", &out.wall, &out.cpu, &cells) != 3) return false;
  std::cout << "python3-openpyxl read-only walk: " << out.wall << " s wall, " << out.cpu << " s CPU (" << cells << " cells)\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!zel::bench::generateInChildProcess([] { generateWorkbook(benchFile()); })) {
    std::cerr << "could not generate the workbook\n";
    return 1;
  }
  std::cout << "generated " << benchFile() << " (" << std::filesystem::file_size(benchFile()) / 1024 << " KiB)\n";
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // Wall time is what a user waits; on a loaded machine the CPU time is the steadier figure.
  auto start = std::chrono::steady_clock::now();
  std::clock_t cpuStart = std::clock();
  openAndWalk();
  Seconds ours{std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
               static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
  Seconds theirs;
  if (timeOpenpyxl(theirs) && theirs.wall > 0 && theirs.cpu > 0)
    std::cout << "zelvarin " << ours.wall << " s / openpyxl " << theirs.wall << " s = ratio " << ours.wall / theirs.wall
              << " (CPU: " << ours.cpu << " s / " << theirs.cpu << " s = ratio " << ours.cpu / theirs.cpu << ")\n";
  else
    std::cout << "python3-openpyxl could not be run (not installed?); no ratio\n";
  std::filesystem::remove(benchFile());
  return 0;
}

// Parsing "analyze" arguments. Every check happens here so that a bad command line stops
// before the program folder, the database or the workbook are touched.
#include "cli/analyze_request.h"

#include "analyses/analysis_registry.h"
#include "cli/commands.h"
#include "core/program_folder.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace zel::cli {

using analyses::findAnalysis;
namespace {

struct OptionRange {
  const char* name;
  int AnalysisOptions::*field;
  int low, high;
};

const std::vector<OptionRange>& optionRanges() {
  static const std::vector<OptionRange> ranges = {
      {"CellOption", &AnalysisOptions::CellOption, 1, 3},   {"ModuleKind", &AnalysisOptions::ModuleKind, 1, 6},
      {"ObjectLevel", &AnalysisOptions::ObjectLevel, 1, 3}, {"ProcLevel", &AnalysisOptions::ProcLevel, 1, 2},
      {"ShapeOption", &AnalysisOptions::ShapeOption, 1, 3}, {"FileOption", &AnalysisOptions::FileOption, 1, 3},
      {"SheetScope", &AnalysisOptions::SheetScope, 1, 2},   {"ColumnOption", &AnalysisOptions::ColumnOption, 1, 2},
      {"ProcKana", &AnalysisOptions::ProcKana, 0, 1},       {"ModKana", &AnalysisOptions::ModKana, 0, 1},
  };
  return ranges;
}

constexpr const char* kHeaderNames[] = {"Title", "System", "Company", "Bumon", "Auther", "CreateDate"};

void addOnly(AnalyzeRequest& r, const std::string& list) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (!name.empty()) {
      if (!findAnalysis(name)) throw UsageError("unknown analysis '" + name + "'");
      if (std::find(r.only.begin(), r.only.end(), name) == r.only.end()) r.only.push_back(name);
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (r.only.empty()) throw UsageError("--only needs at least one analysis name");
}

}  // namespace

void applySetting(AnalyzeRequest& r, const std::string& assignment) {
  size_t eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0) throw UsageError("--set expects NAME=VALUE, not '" + assignment + "'");
  std::string name = assignment.substr(0, eq), value = assignment.substr(eq + 1);
  for (const auto& o : optionRanges()) {
    if (name != o.name) continue;
    int v = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    if (ec != std::errc() || end != value.data() + value.size() || v < o.low || v > o.high)
      throw UsageError(name + " must be a whole number from " + std::to_string(o.low) + " to " + std::to_string(o.high));
    r.options.*(o.field) = v;
    return;
  }
  for (const char* h : kHeaderNames) {
    if (name == h) {
      r.headerSets.emplace_back(name, value);
      return;
    }
  }
  if (name == "Sheet") {
    r.selectedSheet = value;
    r.sheetGiven = true;
  } else if (name == "LinkSource") {
    r.linkSource = value;
  } else {
    throw UsageError("unknown setting '" + name + "'");
  }
}

void applyHeaderSettings(const AnalyzeRequest& r, HeaderTexts& header) {
  for (const auto& [name, value] : r.headerSets) {
    if (name == "Title") header.Title = value;
    else if (name == "System") header.System = value;
    else if (name == "Company") header.Company = value;
    else if (name == "Bumon") header.Bumon = value;
    else if (name == "Auther") header.Auther = value;
    else if (name == "CreateDate") header.CreateDate = value;
  }
}

namespace {

void setHeaderLine(AnalyzeRequest& r, const std::string& value) {
  using L = AnalyzeRequest::HeaderLine;
  if (value == "none") {
    r.headerLine = L::None;
  } else if (value == "file") {
    r.headerLine = L::FileName;
  } else if (value == "path") {
    r.headerLine = L::FullPath;
  } else if (value.rfind("text=", 0) == 0 && value.size() > 5) {
    r.headerLine = L::Text;
    r.headerText = value.substr(5);
  } else {
    throw UsageError("--header expects file, path, text=TEXT or none, not '" + value + "'");
  }
}

}  // namespace

std::string headerFileLine(const AnalyzeRequest& r) {
  switch (r.headerLine) {
    case AnalyzeRequest::HeaderLine::FileName: return FileNameOf(r.book);
    case AnalyzeRequest::HeaderLine::FullPath: return r.book;
    case AnalyzeRequest::HeaderLine::Text: return r.headerText;
    case AnalyzeRequest::HeaderLine::None: break;
  }
  return {};
}

AnalyzeRequest parseAnalyzeArgs(const std::vector<std::string>& args) {
  AnalyzeRequest r;
  auto valueOf = [&](size_t& i) -> const std::string& {
    if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a value");
    return args[++i];
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-o" || a == "--output") {
      r.output = valueOf(i);
    } else if (a == "--only") {
      addOnly(r, valueOf(i));
    } else if (a == "--set") {
      applySetting(r, valueOf(i));
    } else if (a == "--header") {
      setHeaderLine(r, valueOf(i));
    } else if (a == "--home") {
      r.home = valueOf(i);
    } else if (!a.empty() && a[0] == '-') {
      throw UsageError("unknown option '" + a + "'");
    } else if (r.book.empty()) {
      r.book = a;
    } else {
      throw UsageError("more than one workbook given");
    }
  }
  if (r.book.empty()) throw UsageError("no workbook given");
  if (r.output.empty()) throw UsageError("no result file given (-o RESULT.xdb)");
  // The workbook is known by its full path, as the window's lblDBName shows it.
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(r.book, ec);
  if (!ec) r.book = full.lexically_normal().string();
  return r;
}

}  // namespace zel::cli

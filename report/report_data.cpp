// Reading a report's record sources and flattening groups, totals and card sections into items.
#include "report/report_data.h"

#include "core/result_file_open.h"

#include "report/japanese_collation.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace zel::report {
namespace {

constexpr const char* kNoDataText = "該当するデータはありません。";
constexpr const char* kSubtotalText = "小計";
constexpr const char* kGrandTotalText = "合計";

int columnIndex(const Statement& st, const char* name) {
  const int n = st.columnCount();
  for (int i = 0; i < n; ++i)
    if (sqlite3_stricmp(sqlite3_column_name(st.get(), i), name) == 0) return i;
  throw DbError(SQLITE_ERROR, std::string("report field missing from record source: ") + name);
}

std::string textOf(const Statement& st, int index) { return index < 0 ? std::string() : dbValueText(st.column(index)); }

std::string firstRowText(ResultDb& db, const char* sql) {
  if (!db.hasTable("T_XlTitle")) return {};
  auto rows = db.query(sql);
  return rows.empty() || rows[0].empty() ? std::string() : dbValueText(rows[0][0]);
}

std::string today() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  return buf;
}

double numberOf(const std::string& s) {
  if (s.empty()) return 0;
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  return end == s.c_str() ? 0 : v;
}

// Running sums of the total columns, one set per open group level plus the section.
struct Totals {
  std::vector<double> sums;
  explicit Totals(size_t n = 0) : sums(n, 0.0) {}
};

std::vector<std::string> totalCells(const std::vector<ColumnDef>& cols, const Totals& t, const char* label) {
  std::vector<std::string> cells(cols.size());
  bool labelled = false;
  for (size_t i = 0; i < cols.size(); ++i) {
    if (cols[i].total) {
      cells[i] = totalText(t.sums[i]);
    } else if (!labelled && i + 1 < cols.size() && !cols[i].hideDuplicates && cols[i].widthMm == 0) {
      cells[i] = label;
      labelled = true;
    }
  }
  if (!labelled)  // no wide text column: the label goes to the first column that is not a total
    for (size_t i = 0; i < cols.size(); ++i)
      if (!cols[i].total) {
        cells[i] = label;
        break;
      }
  return cells;
}

void loadTableSection(ResultDb& db, const SectionDef& sec, int secIndex, ReportData& out) {
  Statement st(db.handle(), sectionSql(sec));
  std::vector<int> colIdx;
  for (const auto& c : sec.columns) colIdx.push_back(columnIndex(st, c.field));
  struct GroupIdx {
    std::vector<int> keys, texts;
  };
  std::vector<GroupIdx> gIdx;
  for (const auto& g : sec.groups) {
    GroupIdx gi;
    for (auto* f : g.keyFields) gi.keys.push_back(columnIndex(st, f));
    for (auto* f : g.textFields) gi.texts.push_back(columnIndex(st, f));
    gIdx.push_back(std::move(gi));
  }
  const int styleIdx = *sec.styleField ? columnIndex(st, sec.styleField) : -1;

  const size_t nGroups = sec.groups.size();
  std::vector<std::vector<std::string>> currentKeys(nGroups);
  std::vector<bool> open(nGroups, false);
  std::vector<Totals> groupTotals(nGroups, Totals(sec.columns.size()));
  Totals sectionTotals(sec.columns.size());
  bool any = false;

  auto closeGroupsFrom = [&](size_t level) {
    for (size_t l = nGroups; l-- > level;) {
      if (!open[l]) continue;
      if (sec.groups[l].totals)
        out.items.push_back({ItemKind::Subtotal, secIndex, static_cast<int>(l), {},
                             totalCells(sec.columns, groupTotals[l], kSubtotalText)});
      open[l] = false;
    }
  };

  while (st.step()) {
    any = true;
    // Find the outermost group whose key changed; it and all inner groups restart.
    size_t changed = nGroups;
    for (size_t l = 0; l < nGroups; ++l) {
      std::vector<std::string> keys;
      for (int k : gIdx[l].keys) keys.push_back(textOf(st, k));
      if (!open[l] || keys != currentKeys[l]) {
        changed = l;
        break;
      }
    }
    if (changed < nGroups) {
      closeGroupsFrom(changed);
      for (size_t l = changed; l < nGroups; ++l) {
        currentKeys[l].clear();
        for (int k : gIdx[l].keys) currentKeys[l].push_back(textOf(st, k));
        std::string text = sec.groups[l].caption;
        bool first = true;
        for (int t : gIdx[l].texts) {
          if (!first) text += "　";
          text += textOf(st, t);
          first = false;
        }
        out.items.push_back({ItemKind::GroupHeader, secIndex, static_cast<int>(l), text, {}});
        open[l] = true;
        groupTotals[l] = Totals(sec.columns.size());
      }
    }
    Item rec{ItemKind::Record, secIndex, 0, {}, {}};
    rec.cells.reserve(colIdx.size());
    for (size_t i = 0; i < colIdx.size(); ++i) {
      rec.cells.push_back(textOf(st, colIdx[i]));
      if (sec.columns[i].total) {
        const double v = numberOf(rec.cells.back());
        for (auto& g : groupTotals) g.sums[i] += v;
        sectionTotals.sums[i] += v;
      }
    }
    rec.emphasised = styleIdx >= 0 && textOf(st, styleIdx) == "em";
    out.items.push_back(std::move(rec));
  }
  closeGroupsFrom(0);
  if (!any) {
    out.items.push_back({ItemKind::NoData, secIndex, 0, kNoDataText, {}});
  } else if (sec.reportTotals) {
    out.items.push_back({ItemKind::GrandTotal, secIndex, 0, {}, totalCells(sec.columns, sectionTotals, kGrandTotalText)});
  }
}

void loadCardSection(ResultDb& db, const SectionDef& sec, int secIndex, ReportData& out) {
  Statement st(db.handle(), sectionSql(sec));
  std::vector<int> colIdx;
  for (const auto& c : sec.columns) colIdx.push_back(columnIndex(st, c.field));
  bool any = false;
  while (st.step()) {
    if (any) out.items.push_back({ItemKind::GroupHeader, secIndex, 0, "", {}});  // gap between records
    for (size_t i = 0; i < colIdx.size(); ++i)
      out.items.push_back({ItemKind::Record, secIndex, 0, {}, {sec.columns[i].heading, textOf(st, colIdx[i])}});
    any = true;
  }
  if (!any) out.items.push_back({ItemKind::NoData, secIndex, 0, kNoDataText, {}});
}

// False when the source has no row.
bool loadFirstRecord(ResultDb& db, const SectionDef& sec, ReportData& out) {
  Statement st(db.handle(), sectionSql(sec) + " LIMIT 1");
  std::vector<int> colIdx;
  for (const auto& c : sec.columns) colIdx.push_back(columnIndex(st, c.field));
  const bool has = st.step();
  for (size_t i = 0; i < colIdx.size(); ++i)
    out.firstRecord.emplace_back(sec.columns[i].field, has ? textOf(st, colIdx[i]) : std::string());
  return has;
}

}  // namespace

std::string ReportData::field(const std::string& name) const {
  for (const auto& [k, v] : firstRecord)
    if (k == name) return v;
  return {};
}

std::string totalText(double value) {
  char buf[64];
  if (std::fabs(value - std::round(value)) < 1e-9)
    std::snprintf(buf, sizeof buf, "%.0f", value);
  else
    std::snprintf(buf, sizeof buf, "%.2f", value);
  return buf;
}

ResultDb openReportDb(const std::string& path) {
  ResultDb db = openResultFile(path);
  if (!registerJapaneseCollation(db.handle())) throw DbError(SQLITE_ERROR, "Japanese collation is not available");
  return db;
}

HeaderInfo readHeaderInfo(ResultDb& db, const HeaderTexts* texts) {
  HeaderInfo h;
  h.printDate = today();
  h.fileName = firstRowText(db, "SELECT FileName FROM T_XlTitle WHERE IFNULL(FileName,'') <> '' LIMIT 1");
  HeaderTexts saved;
  if (!texts && db.hasTable("T_XlSaveFlag")) {
    auto rows = db.query("SELECT Title, System, Company, Bumon, Auther, CreateDate FROM T_XlSaveFlag LIMIT 1");
    if (!rows.empty()) {
      const auto& r = rows[0];
      saved = {dbValueText(r[0]), dbValueText(r[1]), dbValueText(r[2]),
               dbValueText(r[3]), dbValueText(r[4]), dbValueText(r[5])};
    }
  }
  const HeaderTexts& t = texts ? *texts : saved;
  h.title = t.Title;
  h.system = t.System;
  h.company = t.Company;
  h.bumon = t.Bumon;
  h.author = t.Auther;
  h.createDate = t.CreateDate;
  return h;
}

ReportData loadReportData(ResultDb& db, const ReportDefinition& def, const HeaderTexts* texts) {
  ReportData out;
  out.def = &def;
  out.header = readHeaderInfo(db, texts);
  if (def.kind != LayoutKind::Table) {
    if (!loadFirstRecord(db, def.sections.at(0), out)) {
      const HeaderInfo& h = out.header;
      out.firstRecord = {{"SysTitle", h.title}, {"SysName", h.system}, {"Company", h.company},
                         {"Bumon", h.bumon},    {"Auther", h.author},  {"CreateDate", h.createDate}};
    }
    return out;
  }
  for (size_t s = 0; s < def.sections.size(); ++s) {
    const SectionDef& sec = def.sections[s];
    if (*sec.heading) out.items.push_back({ItemKind::SectionTitle, static_cast<int>(s), 0, sec.heading, {}});
    if (sec.kind == SectionKind::Card)
      loadCardSection(db, sec, static_cast<int>(s), out);
    else
      loadTableSection(db, sec, static_cast<int>(s), out);
  }
  return out;
}

std::vector<ColumnDef> paperColumns(const SectionDef& section) {
  if (section.kind == SectionKind::Table) return section.columns;
  return {{"項目", "", 44, Align::Left, Overflow::Wrap, FontRole::Heading},
          {"内容", "", 0, Align::Left, Overflow::Wrap, FontRole::Body}};
}

}  // namespace zel::report

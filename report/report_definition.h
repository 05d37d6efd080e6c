// Report definitions: what each named report (R_...) shows and how. The definitions are data,
// kept in one table (report_definitions.cpp); the paginator and the special layouts read them.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zel::report {

enum class Orientation { Portrait, Landscape };
enum class Align { Left, Center, Right };

// How the rows of a report are put on paper.
enum class LayoutKind {
  Table,       // header, column headings, grouped rows, footer (most reports)
  Cover,       // front page of the printed document
  SpineLabel,  // vertical label for the back of a binder, text set top to bottom
  WideLabel,   // horizontal label for the front of a binder
};

// How a section shows its records.
enum class SectionKind {
  Table,  // one line (or wrapped lines) per record, column headings on top
  Card,   // one block per record: every column as a "heading: value" line
};

// Text styles; the renderer maps each to a font and size.
enum class FontRole { Body, Code, Small, Heading, Group, Title, Header, Footer, CoverTitle, CoverLarge, CoverText, Label };

enum class Overflow {
  Wrap,  // long texts continue on further lines of the same cell
  Cut,   // one line; a text that does not fit ends in "…"
};

struct ColumnDef {
  const char* heading;       // column heading (Japanese)
  const char* field;         // result column of the record source
  double widthMm = 0;        // 0: takes the width left over (one such column per section)
  Align align = Align::Left;
  Overflow overflow = Overflow::Wrap;
  FontRole font = FontRole::Body;
  bool hideDuplicates = false;  // blank when equal to the row above (in the same group and page)
  bool total = false;           // summed into group and report totals
};

struct GroupDef {
  const char* caption;                // printed before the key text, e.g. "シート名："
  std::vector<const char*> keyFields;  // a change of any of these starts a new group
  std::vector<const char*> textFields; // joined by "　" to form the group heading
  bool totals = false;                 // a subtotal line after the group (columns marked total)
};

struct SectionDef {
  const char* heading = "";   // section title band ("" = none)
  SectionKind kind = SectionKind::Table;
  const char* recordSource;   // SELECT ... FROM ... [WHERE ...], result columns named as used below
  const char* orderBy = "";   // ORDER BY clause (without the keywords); may use COLLATE JAPANESE
  std::vector<GroupDef> groups;
  std::vector<ColumnDef> columns;
  bool rowRules = true;       // thin line under each record
  bool reportTotals = false;  // a grand-total line at the end of the section
  // Result column whose value "em" marks a record to print emphasised (bold, shaded).
  const char* styleField = "";
};

struct ReportDefinition {
  const char* name;   // R_...
  const char* title;  // printed in the page header
  LayoutKind kind = LayoutKind::Table;
  Orientation orientation = Orientation::Portrait;
  int frames = 1;     // Table: number of side-by-side columns the rows flow through (2 = two-column listing)
  std::vector<SectionDef> sections;
};

// Every report of the program, in the order of the result tables.
const std::vector<ReportDefinition>& reportDefinitions();

// The definition of a report by name (exact, as the window passes it), or nullptr.
const ReportDefinition* findReport(std::string_view name);

// Full SQL of a section: record source + ORDER BY.
std::string sectionSql(const SectionDef& section);

}  // namespace zel::report

// The safe open of result files and the check that their schema is data only.
#include "core/result_file_open.h"

#include "core/program_folder.h"
#include "core/result_store.h"
#include "core/vbstring.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace zel {
namespace {

// Work allowed to the queries on one open file: a floor for the checks and small files,
// plus a share in proportion to the bytes the file holds.
constexpr uint64_t kBaseSteps = 50'000'000;
constexpr uint64_t kStepsPerByte = 200;
constexpr int kMaxSchemaEntries = 200;

// The tables every result file has held since the format began; a file without one of them
// is not a result file. Tables added to the schema later are optional.
const std::set<std::string>& tablesAlwaysPresent() {
  static const std::set<std::string> names = [] {
    std::set<std::string> s;
    for (const char* t : {"T_XlSaveFlag", "T_XlTitle", "T_XlHyousi", "T_XlBook", "T_XlLink", "T_XlObject",
                                 "T_XlCalc", "T_XlShape", "T_XlName", "T_XlFile", "T_XlAddin", "T_XlProcName",
                                 "T_XlDimCall", "T_XlHensu", "T_XlSource", "T_XlModStep", "T_XlComment",
                                 "T_XlLinkModule"})
      s.insert(asciiLower(t));
    return s;
  }();
  return names;
}

struct SchemaTable {
  std::string name;                  // as the schema spells it
  std::vector<std::string> columns;  // as declared
  std::string createSql;
};

// The tables of the schema by lower-case name.
std::map<std::string, SchemaTable> schemaTables(const std::string& schemaSql) {
  ResultDb mem(":memory:");
  mem.exec(schemaSql);
  std::map<std::string, SchemaTable> out;
  for (const auto& row : mem.query("SELECT name, sql FROM sqlite_master WHERE type='table'")) {
    SchemaTable t{dbValueText(row[0]), {}, dbValueText(row[1])};
    t.columns = mem.columnsOf(t.name);
    out[asciiLower(t.name)] = std::move(t);
  }
  return out;
}

[[noreturn]] void invalid(const std::string& path, const std::string& why) {
  throw ResultFileError(ResultFileError::Kind::Invalid, path + ": " + why);
}

void checkHeader(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) invalid(path, "cannot be opened");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) invalid(path, "cannot be opened");
  char magic[16] = {};
  size_t n = std::fread(magic, 1, sizeof magic, f);
  std::fclose(f);
  if (n != 16 || std::string(magic, 15) != "SQLite format 3") invalid(path, "not a Zelvarin result file");
}

// Each column of a stored table, hidden or generated ones included, against the schema's.
void checkColumns(ResultDb& db, const std::string& path, const SchemaTable& want) {
  std::set<std::string> expected;
  for (const auto& c : want.columns) expected.insert(asciiLower(c));
  std::set<std::string> seen;
  for (const auto& row : db.query("SELECT name, hidden FROM pragma_table_xinfo(?1)", {want.name})) {
    const std::string col = asciiLower(dbValueText(row[0]));
    if (dbValueText(row[1]) != "0") invalid(path, "column " + want.name + "." + col + " is computed or hidden");
    if (!expected.count(col)) invalid(path, "column " + want.name + "." + col + " is not a result column");
    if (!seen.insert(col).second) invalid(path, "column " + want.name + "." + col + " is repeated");
  }
  for (const auto& c : expected)
    if (!seen.count(c)) invalid(path, "column " + want.name + "." + c + " is missing");
}

void checkSchema(ResultDb& db, const std::string& path, const std::string& schemaSql) {
  const auto known = schemaTables(schemaSql);
  auto entries = db.query("SELECT type, name, sql FROM sqlite_master LIMIT " + std::to_string(kMaxSchemaEntries + 1));
  if (entries.size() > static_cast<size_t>(kMaxSchemaEntries)) invalid(path, "too many schema entries");
  std::set<std::string> present;
  for (const auto& e : entries) {
    const std::string type = dbValueText(e[0]);
    const std::string name = dbValueText(e[1]);
    const std::string sql = dbValueText(e[2]);
    // Indexes SQLite makes for a table's own constraints have no SQL; any other is refused.
    if (type == "index" && std::holds_alternative<std::monostate>(e[2])) continue;
    if (type != "table") invalid(path, type + " " + name + " is not a plain table");
    if (asciiLower(sql.substr(0, 13)) != "create table ") invalid(path, "table " + name + " is not a plain table");
    auto it = known.find(asciiLower(name));
    if (it == known.end()) invalid(path, "table " + name + " is not a result table");
    checkColumns(db, path, it->second);
    present.insert(it->first);
  }
  for (const auto& [lower, table] : known) {
    if (present.count(lower)) continue;
    if (tablesAlwaysPresent().count(lower))
      throw ResultFileError(ResultFileError::Kind::MissingTable, path + ": no such table: " + table.name);
    // A table newer than the file: an empty stand-in, so reports on it show no rows.
    std::string sql = table.createSql;
    sql.replace(0, sql.find("TABLE") + 5, "CREATE TEMP TABLE");
    db.exec(sql);
  }
}

}  // namespace

ResultDb openResultFile(const std::string& path, const std::string& schemaSql) {
  checkHeader(path);
  try {
    ResultDb db(path, ResultDb::Mode::Untrusted);
    std::error_code ec;
    const uint64_t bytes = fs::file_size(path, ec);
    db.limitWork(kBaseSteps + (ec ? 0 : bytes) * kStepsPerByte);
    checkSchema(db, path, schemaSql);
    db.exec("PRAGMA query_only=1");
    return db;
  } catch (const ResultFileError&) {
    throw;
  } catch (const std::exception& e) {
    invalid(path, e.what());
  }
}

ResultDb openResultFile(const std::string& path) {
  static const std::string schema = loadSchemaSql(programPathsFor(shareFolder()));
  return openResultFile(path, schema);
}

}  // namespace zel

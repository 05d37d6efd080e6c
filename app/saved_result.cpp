// T_XlSaveFlag row loader for result files.
#include "app/core/result_db.h"
#include "app/saved_result.h"

#include <filesystem>
#include <string_view>

namespace zel {
namespace {

struct FlagRange {
  const char* field;
  int DoneFlags::*member;  // nullptr for mSs
  int low, high;
};

// Each field holds 0 (not run) or the option value the analysis ran with.
constexpr FlagRange kFlagRanges[] = {
    {"fObj", &DoneFlags::fObj, 0, 3}, {"fCel", &DoneFlags::fCel, 0, 3}, {"fPrc", &DoneFlags::fPrc, 0, 2},
    {"fSoc", &DoneFlags::fSoc, 0, 6}, {"fShp", &DoneFlags::fShp, 0, 3}, {"fDim", &DoneFlags::fDim, 0, 1},
    {"fFil", &DoneFlags::fFil, 0, 3}, {"fCom", &DoneFlags::fCom, 0, 1}, {"fNam", &DoneFlags::fNam, 0, 1},
    {"fAdd", &DoneFlags::fAdd, 0, 1}, {"fSocS", &DoneFlags::fSocS, 0, 1}, {"fCrs", &DoneFlags::fCrs, 0, 1},
    {"mCs", &DoneFlags::mCs, 0, 2},   {"mSs", nullptr, 1, 2},
};

constexpr const char* kTextFields[] = {"Title", "System", "Company", "Bumon", "Auther", "CreateDate"};

std::string textOf(const DbValue& v) {
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (std::holds_alternative<std::monostate>(v)) return {};
  return dbValueText(v);
}

std::optional<SavedResult> fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return std::nullopt;
}

}  // namespace

std::optional<SavedResult> readSavedResult(const std::string& path, std::string* error, bool* noRow) {
  if (noRow) *noRow = false;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return fail(error, "ファイルが見つかりません。");
  try {
    ResultDb db(path, ResultDb::Mode::ReadOnly);
    if (!db.hasTable("T_XlSaveFlag")) return fail(error, "T_XlSaveFlag テーブルがありません。");
    std::string sql = "SELECT ObjName";
    for (const auto& r : kFlagRanges) sql += std::string(", ") + r.field;
    for (const char* f : kTextFields) sql += std::string(", ") + f;
    sql += " FROM T_XlSaveFlag LIMIT 1";
    auto rows = db.query(sql);
    if (rows.empty()) {
      if (noRow) *noRow = true;
      return fail(error, "T_XlSaveFlag に行がありません。");
    }
    const auto& row = rows.front();

    SavedResult result;
    result.ObjName = textOf(row[0]);
    size_t col = 1;
    for (const auto& r : kFlagRanges) {
      const DbValue& v = row[col++];
      const auto* n = std::get_if<int64_t>(&v);
      if (!n || *n < r.low || *n > r.high)
        return fail(error, std::string(r.field) + " の値 (" + textOf(v) + ") が範囲外です。");
      if (r.member) result.flags.*r.member = static_cast<int>(*n);
      else result.mSs = static_cast<int>(*n);
    }
    // A cell listing that ran must say which sheets it covered.
    if (result.flags.fCel != 0 && result.flags.mCs == 0) return fail(error, "mCs の値 (0) が範囲外です。");
    HeaderTexts& h = result.header;
    std::string* texts[] = {&h.Title, &h.System, &h.Company, &h.Bumon, &h.Auther, &h.CreateDate};
    for (std::string* t : texts) *t = textOf(row[col++]);
    return result;
  } catch (const std::exception& e) {
    return fail(error, e.what());
  }
}

}  // namespace zel

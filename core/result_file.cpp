// Result-file copy and validation.
#include "core/result_file.h"

#include "core/result_store.h"
#include "core/vb_error.h"
#include "core/vbstring.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <regex>

namespace fs = std::filesystem;

namespace zel {
namespace {

bool syncPath(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

constexpr int kTempNameAttempts = 16;
// A temporary file of ours older than this is left from a save that was killed.
constexpr auto kStaleTempAge = std::chrono::hours(1);

std::string tempNameBeside(const std::string& target) {
  std::random_device rd;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "%08x", rd());
  fs::path t(target);
  return (t.parent_path() / ("." + t.filename().string() + ".tmp-" + suffix)).string();
}

// Creates an empty file under a fresh random name beside target, exclusively: a name that
// exists already, or a link planted under it, is never written through. VACUUM INTO then
// fills the empty file. Returns "" with errno set when no name could be created.
std::string createTempBeside(const std::string& target) {
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    std::string name = tempNameBeside(target);
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  return {};
}

// Removes the temporary files a killed save of ours left in target's folder: our name
// pattern, regular files owned by this user, untouched for an hour.
void removeStaleTempFiles(const std::string& target) {
  static const std::regex ours(R"(\..+\.xdb\.tmp-[0-9a-f]{8}(-journal)?)", std::regex::icase);
  fs::path folder = fs::path(target).parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!std::regex_match(name, ours)) continue;
    struct stat st{};
    if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) continue;
    std::error_code timeError;
    const auto written = fs::last_write_time(it->path(), timeError);
    if (timeError || now - written < kStaleTempAge) continue;
    std::error_code removeError;
    fs::remove(it->path(), removeError);
  }
}

// Copies the whole database into the empty file tmp. Without free pages the pages are copied
// as they are (the backup interface: no table is rebuilt); a database with free pages is
// rebuilt compactly by VACUUM INTO, so space and old contents of freed pages stay behind.
void copyDatabase(ResultDb& source, const std::string& tmp) {
  const auto freePages = source.query("PRAGMA freelist_count");
  if (freePages.empty() || dbValueText(freePages[0][0]) != "0") {
    Statement vacuum(source.handle(), "VACUUM INTO ?1");
    vacuum.bind(1, tmp);
    vacuum.step();
    return;
  }
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(tmp.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> dest(raw, sqlite3_close_v2);
  if (rc != SQLITE_OK) throw DbError(rc, tmp + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
  // Nothing of the file is used before it is synced and checked: no journal, no syncs.
  sqlite3_exec(dest.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
  sqlite3_backup* backup = sqlite3_backup_init(dest.get(), "main", source.handle(), "main");
  if (!backup) throw DbError(sqlite3_errcode(dest.get()), std::string("backup: ") + sqlite3_errmsg(dest.get()));
  rc = sqlite3_backup_step(backup, -1);
  const int finished = sqlite3_backup_finish(backup);
  if (rc != SQLITE_DONE) throw DbError(rc, std::string("backup: ") + sqlite3_errstr(rc));
  if (finished != SQLITE_OK) throw DbError(finished, std::string("backup: ") + sqlite3_errmsg(dest.get()));
}

int64_t asInt(const DbValue& v, const char* field) {
  if (auto* n = std::get_if<int64_t>(&v)) return *n;
  if (std::holds_alternative<std::monostate>(v)) return 0;
  if (auto* d = std::get_if<double>(&v); d && *d == static_cast<double>(static_cast<int64_t>(*d)))
    return static_cast<int64_t>(*d);
  throw ResultFileError(ResultFileError::Kind::Invalid, std::string("T_XlSaveFlag.") + field + " is not a number");
}

int checkedFlag(const DbValue& v, const char* field, int lo, int hi) {
  int64_t n = asInt(v, field);
  if (n < lo || n > hi)
    throw ResultFileError(ResultFileError::Kind::Invalid,
                          std::string("T_XlSaveFlag.") + field + " = " + std::to_string(n) + " is out of range");
  return static_cast<int>(n);
}

// Texts from an untrusted file: kept short enough for the header boxes.
std::string checkedText(const DbValue& v) {
  std::string s = dbValueText(v);
  return cutText(s, 255, false);
}

}  // namespace

std::string normalizeXdbName(const std::string& path) {
  std::string base = path;
  if (base.size() >= 4 && asciiLower(base.substr(base.size() - 4)) == ".xdb") base.resize(base.size() - 4);
  return base + ".xdb";
}

std::set<std::string> tablesVouchedByFlags(const DoneFlags& f) {
  std::set<std::string> t;
  if (f.fObj) t.insert({"T_XlBook", "T_XlObject", "T_XlLink"});
  if (f.fCel) t.insert("T_XlCalc");
  if (f.fPrc) t.insert({"T_XlProcName", "T_XlDimCall"});
  if (f.fSoc) t.insert("T_XlSource");
  if (f.fShp) t.insert("T_XlShape");
  if (f.fDim) t.insert("T_XlHensu");
  if (f.fFil) t.insert("T_XlFile");
  if (f.fCom) t.insert("T_XlComment");
  if (f.fNam) t.insert("T_XlName");
  if (f.fAdd) t.insert("T_XlAddin");
  if (f.fSocS) t.insert("T_XlModStep");
  if (f.fCrs) t.insert("T_XlLinkModule");
  if (f.fEnt) t.insert({"T_XlEntry", "T_XlReach"});
  return t;
}

void writeResultFileCopy(ResultDb& source, const std::string& target, const std::set<std::string>& keepTables) {
  removeStaleTempFiles(target);
  const std::string tmp = createTempBeside(target);
  if (tmp.empty()) throw VbError(75, std::string("結果ファイルを書き込めません: ") + std::strerror(errno));
  auto failWith = [&](long number, const std::string& what) {
    std::error_code ec;
    fs::remove(tmp, ec);
    fs::remove(tmp + "-journal", ec);
    throw VbError(number, what);
  };
  try {
    copyDatabase(source, tmp);
  } catch (const DbError& e) {
    failWith(75, std::string("結果ファイルを書き込めません: ") + e.what());
  }
  try {
    ResultDb copy(tmp);
    // The temporary file is synced as a whole before it is renamed, and a crash before that
    // leaves only a file the next save removes: its own writes need neither syncs nor a
    // journal file. Pages freed by the clearing are zeroed, so no row of an emptied table
    // stays readable in the file; a small cache, as the check reads each page about once.
    copy.exec("PRAGMA journal_mode=MEMORY");
    copy.exec("PRAGMA synchronous=OFF");
    copy.exec("PRAGMA secure_delete=ON");
    copy.exec("PRAGMA cache_size=-2048");
    {
      ResultDb::Run run(copy);
      for (const auto& t : resultTableNames()) {
        if (t == "T_XlSaveFlag" || t == "T_XlTitle" || keepTables.count(t)) continue;
        if (copy.hasTable(t) && !copy.query("SELECT 1 FROM \"" + t + "\" LIMIT 1").empty()) copy.clearTable(t);
      }
    }
    auto check = copy.query("PRAGMA quick_check");
    if (check.empty() || dbValueText(check[0][0]) != "ok") failWith(3049, "結果ファイルの検査に失敗しました。");
    if (copy.query("SELECT 1 FROM T_XlSaveFlag").empty()) failWith(3049, "結果ファイルの検査に失敗しました。");
  } catch (const VbError&) {
    throw;
  } catch (const std::exception& e) {
    failWith(3049, e.what());
  }
  if (!syncPath(tmp)) failWith(75, "結果ファイルを書き込めません: " + tmp);
  std::error_code ec;
  fs::rename(tmp, target, ec);
  if (ec) failWith(75, "結果ファイルを書き込めません: " + ec.message());
  syncPath(fs::path(target).parent_path().empty() ? "." : fs::path(target).parent_path().string());
}

SavedResult readResultFile(const std::string& path, const std::string& schemaSql) {
  using Kind = ResultFileError::Kind;
  SavedResult r;
  ResultDb db = openResultFile(path, schemaSql);
  try {
    auto rows = db.query(
        "SELECT ObjName, fObj, fCel, fPrc, fSoc, fShp, fDim, fFil, fCom, fNam, fAdd, fSocS, fCrs, mCs, mSs, "
        "Title, System, Company, Bumon, Auther, CreateDate FROM T_XlSaveFlag LIMIT 1");
    if (rows.empty()) throw ResultFileError(Kind::NoSaveRow, "保存処理が失敗しています。");
    const auto& v = rows[0];
    r.objName = checkedText(v[0]);
    r.flags.fObj = checkedFlag(v[1], "fObj", 0, 3);
    r.flags.fCel = checkedFlag(v[2], "fCel", 0, 3);
    r.flags.fPrc = checkedFlag(v[3], "fPrc", 0, 2);
    r.flags.fSoc = checkedFlag(v[4], "fSoc", 0, 6);
    r.flags.fShp = checkedFlag(v[5], "fShp", 0, 3);
    r.flags.fDim = checkedFlag(v[6], "fDim", 0, 1);
    r.flags.fFil = checkedFlag(v[7], "fFil", 0, 3);
    r.flags.fCom = checkedFlag(v[8], "fCom", 0, 1);
    r.flags.fNam = checkedFlag(v[9], "fNam", 0, 1);
    r.flags.fAdd = checkedFlag(v[10], "fAdd", 0, 1);
    r.flags.fSocS = checkedFlag(v[11], "fSocS", 0, 1);
    r.flags.fCrs = checkedFlag(v[12], "fCrs", 0, 1);
    r.flags.mCs = checkedFlag(v[13], "mCs", 0, 2);
    if (std::holds_alternative<std::monostate>(v[14]))
      throw ResultFileError(Kind::Invalid, "T_XlSaveFlag.mSs is missing");
    r.mSs = checkedFlag(v[14], "mSs", 1, 2);  // the column option is always saved
    if (r.flags.fCel && r.flags.mCs == 0) throw ResultFileError(Kind::Invalid, "T_XlSaveFlag.mCs is missing");
    r.header.Title = checkedText(v[15]);
    r.header.System = checkedText(v[16]);
    r.header.Company = checkedText(v[17]);
    r.header.Bumon = checkedText(v[18]);
    r.header.Auther = checkedText(v[19]);
    r.header.CreateDate = checkedText(v[20]);
    r.linkSearchRows = r.flags.fCel == 0 &&
                       !db.query("SELECT 1 FROM T_XlCalc WHERE Label = " + std::to_string(kLinkSearchCalcLabel) + " LIMIT 1").empty();
    for (const char* table : {"T_XlEntry", "T_XlReach"})
      if (db.hasTable(table) && !db.query(std::string("SELECT 1 FROM ") + table + " LIMIT 1").empty()) r.flags.fEnt = 1;
  } catch (const ResultFileError&) {
    throw;
  } catch (const std::exception& e) {
    throw ResultFileError(Kind::Invalid, path + ": " + e.what());
  }
  return r;
}

}  // namespace zel

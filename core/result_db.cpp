// SQLite-backed result database with the clear/add/close pattern of the analyses.
#include "core/result_db.h"
#include "core/vbstring.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace zel {
namespace {

// Table names come from our own code, but are still quoted so no text is ever run as SQL.
std::string quoteIdent(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

[[noreturn]] void fail(sqlite3* db, int rc, std::string_view what) {
  std::string msg(what);
  msg += ": ";
  msg += db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  throw DbError(rc, msg);
}

// Largest text or blob read from an untrusted file; no field we write comes near it.
constexpr int kUntrustedValueBytes = 1 << 20;
constexpr int kProgressInterval = 1000;

// "file:" URI of a path with immutable=1: the file is read without locks or journal.
std::string immutableUri(const std::string& path) {
  std::error_code ec;
  std::string abs = std::filesystem::absolute(path, ec).string();
  if (ec) abs = path;
  std::string uri = "file://";
  static const char* hex = "0123456789ABCDEF";
  for (unsigned char c : abs) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~' || c >= 0x80) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += hex[c >> 4];
      uri += hex[c & 15];
    }
  }
  return uri + "?immutable=1";
}

// SQLite counts every allocation behind a global lock unless told not to, and nothing here
// reads those counts. Set before the library's first use: the first connection opened.
void configureLibraryOnce() {
  static const int rc = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  (void)rc;  // SQLITE_MISUSE when the library was in use already: the counting then stays on
}

void makeDefensive(sqlite3* db) {
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
  sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kUntrustedValueBytes);
  sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
}

}  // namespace

ResultDb::ResultDb(const std::string& path, Mode mode) : path_(path) {
  configureLibraryOnce();
  int flags = mode == Mode::ReadWrite ? (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) : SQLITE_OPEN_READONLY;
  std::string name = path;
  if (mode == Mode::Untrusted) {
    flags |= SQLITE_OPEN_URI;
    name = immutableUri(path);
  }
  int rc = sqlite3_open_v2(name.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string msg = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    throw DbError(rc, path + ": " + msg);
  }
  sqlite3_busy_timeout(db_, 5000);
  sqlite3_extended_result_codes(db_, 1);
  if (mode == Mode::Untrusted) makeDefensive(db_);
  if (mode == Mode::ReadWrite) {
    try {
      exec("PRAGMA journal_mode=DELETE");
      // Up to 64 MB of pages stay in memory inside a transaction, so a large listing is
      // written once at commit instead of spilling pages to the file while it is built.
      exec("PRAGMA cache_size=-65536");
    } catch (...) {
      // A file that is not a database fails here; the handle must not outlive the throw.
      sqlite3_close_v2(db_);
      db_ = nullptr;
      throw;
    }
  }
}

ResultDb::~ResultDb() {
  if (db_) sqlite3_close_v2(db_);
}

ResultDb::ResultDb(ResultDb&& o) noexcept
    : db_(o.db_), path_(std::move(o.path_)), runDepth_(o.runDepth_), budget_(std::move(o.budget_)) {
  o.db_ = nullptr;
}

ResultDb& ResultDb::operator=(ResultDb&& o) noexcept {
  if (this != &o) {
    if (db_) sqlite3_close_v2(db_);
    db_ = o.db_;
    path_ = std::move(o.path_);
    runDepth_ = o.runDepth_;
    budget_ = std::move(o.budget_);
    o.db_ = nullptr;
  }
  return *this;
}

void ResultDb::exec(std::string_view sql) {
  if (!db_) throw DbError(SQLITE_MISUSE, "database not open");
  std::string s(sql);
  char* err = nullptr;
  int rc = sqlite3_exec(db_, s.c_str(), nullptr, nullptr, &err);
  if (rc != SQLITE_OK) {
    std::string msg = err ? err : sqlite3_errstr(rc);
    sqlite3_free(err);
    throw DbError(rc, msg);
  }
}

void ResultDb::clearTable(std::string_view table) { exec("DELETE FROM " + quoteIdent(table)); }

bool ResultDb::hasTable(std::string_view table) {
  Statement st(db_, "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE");
  st.bind(1, std::string(table));
  return st.step();
}

std::vector<std::string> ResultDb::columnsOf(std::string_view table) {
  std::vector<std::string> cols;
  Statement st(db_, "SELECT name FROM pragma_table_info(?1)");
  st.bind(1, std::string(table));
  while (st.step()) cols.push_back(dbValueText(st.column(0)));
  return cols;
}

void ResultDb::limitWork(uint64_t maxSteps) {
  if (!db_) return;
  budget_ = std::make_unique<WorkBudget>();
  budget_->left = maxSteps;
  sqlite3_progress_handler(
      db_, kProgressInterval,
      [](void* p) {
        auto* b = static_cast<WorkBudget*>(p);
        if (b->left < kProgressInterval) return 1;
        b->left -= kProgressInterval;
        return 0;
      },
      budget_.get());
}

void ResultDb::ensureSchema(const std::string& schemaSql) {
  // The schema file uses CREATE TABLE IF NOT EXISTS, so running it adds only what is missing;
  // one transaction for all its tables instead of one commit (and disk sync) per table.
  Run run(*this);
  exec(schemaSql);
}

std::vector<std::vector<DbValue>> ResultDb::query(std::string_view sql, const std::vector<DbValue>& params) {
  Statement st(db_, sql);
  for (size_t i = 0; i < params.size(); ++i) st.bind(static_cast<int>(i + 1), params[i]);
  std::vector<std::vector<DbValue>> rows;
  int n = st.columnCount();
  while (st.step()) {
    std::vector<DbValue> row;
    row.reserve(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) row.push_back(st.column(c));
    rows.push_back(std::move(row));
  }
  return rows;
}

ResultDb::Run::Run(ResultDb& db) : db_(&db) {
  if (db_->runDepth_++ == 0) {
    db_->exec("BEGIN");
    began_ = true;
  }
}

ResultDb::Run::~Run() {
  --db_->runDepth_;
  if (began_ && db_->db_) {
    if (sqlite3_exec(db_->db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
      sqlite3_exec(db_->db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
  if (!db) throw DbError(SQLITE_MISUSE, "database not open");
  int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr);
  if (rc != SQLITE_OK) fail(db, rc, "prepare");
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

namespace {

int bindValue(sqlite3_stmt* stmt, int i, const DbValue& v, sqlite3_destructor_type textLifetime) {
  if (std::holds_alternative<std::monostate>(v)) return sqlite3_bind_null(stmt, i);
  if (auto* n = std::get_if<int64_t>(&v)) return sqlite3_bind_int64(stmt, i, *n);
  if (auto* d = std::get_if<double>(&v)) return sqlite3_bind_double(stmt, i, *d);
  const auto& s = std::get<std::string>(v);
  return sqlite3_bind_text64(stmt, i, s.data(), s.size(), textLifetime, SQLITE_UTF8);
}

// Binds the given fields in place (parameter k + 1 for field k; unset ones stay Null) and runs
// the statement. It is reset, and its bindings cleared, before this returns, so nothing refers
// to the texts once they change.
void stepWithFields(Statement& st, const DbValue* values, const char* set, size_t count) {
  struct ResetAfter {
    Statement* st;
    ~ResetAfter() { st->reset(); }
  } resetAfter{&st};
  for (size_t k = 0; k < count; ++k)
    if (set[k]) st.bindInPlace(static_cast<int>(k + 1), values[k]);
  st.step();
}

}  // namespace

void Statement::bind(int i, const DbValue& v) {
  if (int rc = bindValue(stmt_, i, v, SQLITE_TRANSIENT); rc != SQLITE_OK) fail(db_, rc, "bind");
}

void Statement::bindInPlace(int i, const DbValue& v) {
  if (int rc = bindValue(stmt_, i, v, SQLITE_STATIC); rc != SQLITE_OK) fail(db_, rc, "bind");
}

bool Statement::step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  fail(db_, rc, "step");
}

void Statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

DbValue Statement::column(int i) const {
  switch (sqlite3_column_type(stmt_, i)) {
    case SQLITE_NULL: return std::monostate{};
    case SQLITE_INTEGER: return static_cast<int64_t>(sqlite3_column_int64(stmt_, i));
    case SQLITE_FLOAT: return sqlite3_column_double(stmt_, i);
    default: {
      const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
      int n = sqlite3_column_bytes(stmt_, i);
      return std::string(p ? p : "", static_cast<size_t>(n));
    }
  }
}

TableWriter::TableWriter(ResultDb& db, std::string table, size_t rowsPerInsert)
    : db_(&db), table_(std::move(table)), rowsPerInsert_(std::max<size_t>(rowsPerInsert, 1)) {
  columns_ = db.columnsOf(table_);
  if (columns_.empty()) throw DbError(SQLITE_ERROR, "no such table: " + table_);
  std::string sql = "INSERT INTO " + quoteIdent(table_) + " (";
  std::string marks = "(";
  for (size_t i = 0; i < columns_.size(); ++i) {
    sql += (i ? "," : "") + quoteIdent(columns_[i]);
    marks += (i ? ",?" : "?");
  }
  marks += ")";
  sql += ") VALUES ";
  insert_ = std::make_unique<Statement>(db.handle(), sql + marks);
  values_.assign(columns_.size(), std::monostate{});
  isSet_.assign(columns_.size(), 0);
  if (rowsPerInsert_ > 1) {
    std::string many = sql;
    for (size_t r = 0; r < rowsPerInsert_; ++r) many += (r ? "," : "") + marks;
    batchInsert_ = std::make_unique<Statement>(db.handle(), many);
    batchValues_.assign(rowsPerInsert_ * columns_.size(), std::monostate{});
    batchSet_.assign(rowsPerInsert_ * columns_.size(), 0);
  }
}

TableWriter::~TableWriter() {
  try {
    flush();
  } catch (...) {
    // Only reached while an earlier error unwinds, or after a write failed already.
  }
}

size_t TableWriter::find(std::string_view field, size_t from) const {
  auto sameField = [](std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      char x = a[i], y = b[i];
      if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
      if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
      if (x != y) return false;
    }
    return true;
  };
  const size_t n = columns_.size();
  for (size_t k = 0; k < n; ++k) {
    const size_t i = (from + k) % n;
    if (sameField(columns_[i], field)) return i;
  }
  return n;
}

size_t TableWriter::field(std::string_view name) const {
  const size_t i = find(name, 0);
  if (i == columns_.size())
    throw DbError(SQLITE_ERROR, "Item not found in this collection: " + table_ + "." + std::string(name));
  return i;
}

void TableWriter::addNew() {
  std::fill(isSet_.begin(), isSet_.end(), 0);
  pending_ = true;
}

void TableWriter::set(std::string_view field, DbValue value) {
  // The search starts after the field set last, so a row filled in column order finds each
  // field at the first look.
  const size_t i = find(field, next_);
  if (i == columns_.size())
    throw DbError(SQLITE_ERROR, "Item not found in this collection: " + table_ + "." + std::string(field));
  values_[i] = std::move(value);
  isSet_[i] = 1;
  next_ = i + 1;
}

void TableWriter::setAt(size_t index, int64_t v) {
  values_.at(index) = v;
  isSet_[index] = 1;
}

void TableWriter::setAt(size_t index, std::string_view text) {
  DbValue& v = values_.at(index);
  if (auto* s = std::get_if<std::string>(&v))
    s->assign(text);
  else
    v.emplace<std::string>(text);
  isSet_[index] = 1;
}

void TableWriter::update() {
  if (!pending_) throw DbError(SQLITE_MISUSE, "Update without AddNew");
  if (!batchInsert_) {
    stepWithFields(*insert_, values_.data(), isSet_.data(), values_.size());
    pending_ = false;
    return;
  }
  pending_ = false;
  const size_t n = columns_.size(), base = gathered_ * n;
  for (size_t i = 0; i < n; ++i) {
    batchSet_[base + i] = isSet_[i];
    if (isSet_[i]) std::swap(batchValues_[base + i], values_[i]);
  }
  if (++gathered_ == rowsPerInsert_) {
    // Counted as written first: a failed statement writes none of its rows, and they are not
    // tried a second time.
    gathered_ = 0;
    writeGathered();
  }
}

void TableWriter::writeGathered() {
  // Row r's field i is parameter r * fields + i + 1: the gathered values in their order.
  stepWithFields(*batchInsert_, batchValues_.data(), batchSet_.data(), batchValues_.size());
}

void TableWriter::flush() {
  if (!batchInsert_) return;
  const size_t rows = gathered_, n = columns_.size();
  gathered_ = 0;
  // The last rows one statement each; the values of row r are bound to the single-row statement.
  for (size_t r = 0; r < rows; ++r) stepWithFields(*insert_, &batchValues_[r * n], &batchSet_[r * n], n);
}

std::string dbValueText(const DbValue& v) {
  if (std::holds_alternative<std::monostate>(v)) return {};
  if (auto* n = std::get_if<int64_t>(&v)) return std::to_string(*n);
  if (auto* d = std::get_if<double>(&v)) {
    char buf[64];
    snprintf(buf, sizeof buf, "%.15g", *d);
    return buf;
  }
  return std::get<std::string>(v);
}

}  // namespace zel

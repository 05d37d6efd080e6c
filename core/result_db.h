// The result database (Analyze.mdb / *.xdb, SQLite 3 files) and the access pattern every
// analysis follows: clear a table, add rows by field name, close. One RAII wrapper.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace zel {

// A field value: Null, integer, double or text (UTF-8).
using DbValue = std::variant<std::monostate, int64_t, double, std::string>;

class DbError : public std::runtime_error {
 public:
  DbError(int code, const std::string& msg) : std::runtime_error(msg), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

class Statement;

class ResultDb {
 public:
  // Untrusted: a file from elsewhere, opened read-only and immutable with SQLite's defensive
  // settings (no triggers, no views, no untrusted schema functions, values of bounded size).
  enum class Mode { ReadWrite, ReadOnly, Untrusted };
  ResultDb() = default;
  ResultDb(const std::string& path, Mode mode = Mode::ReadWrite);
  ~ResultDb();
  ResultDb(ResultDb&& o) noexcept;
  ResultDb& operator=(ResultDb&& o) noexcept;
  ResultDb(const ResultDb&) = delete;
  ResultDb& operator=(const ResultDb&) = delete;

  bool isOpen() const { return db_ != nullptr; }
  const std::string& path() const { return path_; }
  sqlite3* handle() const { return db_; }

  void exec(std::string_view sql);
  // "delete * from T;" executed as DELETE FROM T.
  void clearTable(std::string_view table);
  bool hasTable(std::string_view table);
  std::vector<std::string> columnsOf(std::string_view table);

  // Stops every statement once the connection has run about maxSteps virtual-machine steps
  // in total (the statement then fails with SQLITE_INTERRUPT).
  void limitWork(uint64_t maxSteps);

  // Creates every table of the schema that is missing (existing tables are kept).
  void ensureSchema(const std::string& schemaSql);

  // Runs SQL returning rows; each row as values in column order.
  std::vector<std::vector<DbValue>> query(std::string_view sql, const std::vector<DbValue>& params = {});

  // Transaction of one analysis run: committed when it ends, also when it ends by an error,
  // so rows already added stay.
  class Run {
   public:
    explicit Run(ResultDb& db);
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

   private:
    ResultDb* db_;
    bool began_ = false;
  };

 private:
  struct WorkBudget {
    uint64_t left = 0;
  };
  sqlite3* db_ = nullptr;
  std::string path_;
  int runDepth_ = 0;
  std::unique_ptr<WorkBudget> budget_;
  friend class Run;
};

// Prepared statement (RAII).
class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  void bind(int index, const DbValue& v);  // 1-based; text is copied
  // Binds without copying: v must stay unchanged until the statement has stepped and reset.
  void bindInPlace(int index, const DbValue& v);
  bool step();                              // true while a row is ready
  void reset();
  DbValue column(int index) const;          // 0-based
  int columnCount() const;
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  sqlite3* db_ = nullptr;
};

// ResultRs: a table opened for adding rows by field name (AddNew / field = value / Update).
// A writer of many rows looks its fields up once (field) and sets them by position; texts set
// by position are copied into the row's own buffers, which keep their room from row to row.
// A writer of long listings may gather rowsPerInsert rows and write them with one statement:
// far less work per row than one statement each. flush() writes the rows still gathered; so
// does the destructor, so rows added before an error still reach the table (an error of that
// last write is dropped: the writer is going away because of an earlier one).
class TableWriter {
 public:
  TableWriter(ResultDb& db, std::string table, size_t rowsPerInsert = 1);
  ~TableWriter();
  TableWriter(const TableWriter&) = delete;
  TableWriter& operator=(const TableWriter&) = delete;
  // Position of a field (names compare without regard to ASCII case); throws for a name the
  // table does not have.
  size_t field(std::string_view name) const;
  void addNew();
  void set(std::string_view field, DbValue value);
  void set(std::string_view field, const char* text) { set(field, DbValue(std::string(text))); }
  void set(std::string_view field, int v) { set(field, DbValue(static_cast<int64_t>(v))); }
  void set(std::string_view field, long v) { set(field, DbValue(static_cast<int64_t>(v))); }
  void set(std::string_view field, long long v) { set(field, DbValue(static_cast<int64_t>(v))); }
  void set(std::string_view field, double v) { set(field, DbValue(v)); }
  void set(std::string_view field, const std::string& v) { set(field, DbValue(v)); }
  void set(std::string_view field, std::string&& v) { set(field, DbValue(std::move(v))); }
  void setAt(size_t index, int64_t v);
  void setAt(size_t index, std::string_view text);
  void update();
  void flush();  // writes the gathered rows (nothing to do without rowsPerInsert)
  const std::string& table() const { return table_; }

 private:
  size_t find(std::string_view field, size_t from) const;  // columns_.size() when missing
  void writeGathered();  // one statement for a full batch of gathered rows

  ResultDb* db_;
  std::string table_;
  std::vector<std::string> columns_;
  std::vector<DbValue> values_;
  std::vector<char> isSet_;  // fields of the current row given a value; the others are Null
  size_t next_ = 0;  // where the next field lookup starts: fields are mostly set in one order
  std::unique_ptr<Statement> insert_;
  bool pending_ = false;
  // Gathered rows, row after row, each with its set flags; the current row's values are
  // swapped in, so text buffers keep their room.
  size_t rowsPerInsert_ = 1;
  size_t gathered_ = 0;
  std::vector<DbValue> batchValues_;
  std::vector<char> batchSet_;
  std::unique_ptr<Statement> batchInsert_;
};

// Text of a value for display ("" for Null).
std::string dbValueText(const DbValue& v);

}  // namespace zel

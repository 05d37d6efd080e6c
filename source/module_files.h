// The exported module files: their kinds and labels, listing a folder by kind, reading a
// file into physical lines, and joining " _" continuation lines into statements.
#pragma once
#include "xls/vba/module_limits.h"

#include "source/source_text.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zel::source {

enum class ModuleKind { Standard = 1, Class = 2, Form = 3, Book = 4, Sheet = 5 };

struct KindInfo {
  ModuleKind kind;
  const char* extension;  // without the dot, as the export writes it
  const char* label;      // "標準ﾓｼﾞｭｰﾙ" ...
  const char* apiLabel;   // "標準ﾓｼﾞｭｰﾙ(Api)" ...
};

// The five kinds in the order every analysis that reads all kinds processes them.
const std::vector<KindInfo>& moduleKinds();
const KindInfo& kindInfo(ModuleKind kind);

struct ModuleFile {
  std::filesystem::path path;
  std::string name;  // file name with extension (objectName)
};

// What one run reads: the five kinds in kind order, one kind, or every file of the folder
// by name (the source listing's "all files").
struct ModuleSelection {
  enum class Scope { AllKinds, OneKind, EveryFile };
  Scope scope = Scope::AllKinds;
  ModuleKind kind = ModuleKind::Standard;  // with OneKind

  static ModuleSelection allKinds() { return {}; }
  static ModuleSelection only(ModuleKind k) { return {Scope::OneKind, k}; }
  static ModuleSelection everyFile() { return {Scope::EveryFile, ModuleKind::Standard}; }
};

// One file of a run in reading order, with its running number objectNo (from 1).
struct ModuleEntry {
  ModuleFile file;
  // The kind the file was listed under; for EveryFile the kind its last three characters
  // name (exact case), or nullptr when they name none.
  const KindInfo* kind = nullptr;
  long objectNo = 0;
};

// The files of a selection. Each kind's files match its extension (ASCII case ignored, as
// the folder listing of Windows does) and are sorted by name so every run sees the same
// order. A missing folder lists nothing.
std::vector<ModuleEntry> listModules(const std::string& folder, ModuleSelection selection);

class ModuleText;

// The file loop every source analysis shares: reads the listed files one at a time, in
// order, and hands each to visit(entry, text). A file that cannot be read throws VbError.
template <class Visit>
void forEachModule(const std::vector<ModuleEntry>& modules, Visit&& visit);

template <class Visit>
void forEachModule(const std::string& folder, ModuleSelection selection, Visit&& visit) {
  forEachModule(listModules(folder, selection), visit);
}

// Largest module file read: the export's own limit, so every file the export writes is read;
// it bounds the memory one hostile file can take.
inline constexpr std::uintmax_t kMaxModuleFileBytes = xls::vba::kMaxExportFileBytes;

// One module file's text. Lines end at CR LF, LF or a lone CR; a last line without an
// ending counts, a final line ending adds no empty line. Bytes that are not valid UTF-8 are
// read as CP932 (how a file saved by Windows tools would come).
class ModuleText {
 public:
  static ModuleText read(const ModuleFile& file);  // throws VbError when unreadable
  static ModuleText fromUtf8(std::string_view text);
  U16V text() const { return *text_; }

 private:
  std::unique_ptr<U16> text_;  // on the heap so cursors survive a move of the ModuleText
};

// Sequential reading of physical lines, found as they are asked for.
class LineCursor {
 public:
  explicit LineCursor(const ModuleText& text) : text_(text.text()) {}
  bool atEnd() const { return next_ >= text_.size(); }
  // The next physical line; false at the end of the file.
  bool next(U16V& line);

 private:
  U16V text_;
  size_t next_ = 0;
};

// One statement after joining: its text (leading blanks removed from each piece), its last
// physical line and that line's number counted from 1.
struct JoinedStatement {
  U16 text;
  U16V lastLine;
  long line = 0;
};

// Joins continued lines. A file that ends on a continued line hands its partial statement
// over at the end instead of reading past the end of the file.
class StatementReader {
 public:
  explicit StatementReader(const ModuleText& text) : cursor_(text) {}
  bool next(JoinedStatement& out);

 private:
  LineCursor cursor_;
  long line_ = 0;
};

template <class Visit>
void forEachModule(const std::vector<ModuleEntry>& modules, Visit&& visit) {
  for (const ModuleEntry& m : modules) {
    const ModuleText text = ModuleText::read(m.file);
    visit(m, text);
  }
}

// Status and message text when the workbook has no standard, class or form module.
inline constexpr const char* kNoModuleText = "このﾌｧｲﾙにはModuleは存在しません";

}  // namespace zel::source

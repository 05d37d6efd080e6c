// The workbook's macro project (the _VBA_PROJECT_CUR storage) as the macro editor shows it:
// its components in project order with type and name, their export in the editor's export
// format, and the lock that keeps a protected project's components from being read.
#pragma once
#include "core/session_state.h"
#include "core/vb_error.h"
#include "xls/compound_file.h"
#include "xls/vba/project_protection.h"
#include "xls/vba/project_stream.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zel::xls::vba {

// Largest total of decompressed source read from one project; modules past it fail alone.
inline constexpr size_t kMaxProjectSourceBytes = 64u << 20;
// Largest designer stream of a form read as text.
inline constexpr size_t kMaxDesignerStreamBytes = 64u << 10;

// The message the window shows for error 50289 (lines separated by CR).
inline constexpr const char* kProjectLockedMessage =
    "プロジェクトが保護されています。\r保護を解除してから選択下さい。\r本ソフトを終了します。";

struct VbaComponent {
  ComponentType Type = ComponentType::Standard;  // 1 standard, 2 class, 3 user form, 100 document
  std::string Name;                              // UTF-8
  std::string FileName;       // export file name with extension, safe and unique in the project
  bool workbookModule = false;  // the workbook's own document module (exported as ".bok")
  int typeNumber() const { return static_cast<int>(Type); }
};

class VbaProject {
 public:
  // The project of an open compound file; nullopt when the workbook has no macro project.
  // Throws VbaFormatError (a VbError, number 1004) when the dir or PROJECT stream is missing
  // or damaged; a module whose own stream is damaged only fails its own export.
  static std::optional<VbaProject> read(const CompoundFile& file);

  bool lockedForViewing() const { return protection_.lockedForViewing(); }
  const ProjectProtection& protection() const { return protection_; }
  int codePage() const { return codePage_; }

  // The components in project order. Throws VbError 50289 when the project is locked.
  const std::vector<VbaComponent>& components() const;
  // The export file text of component i (UTF-8, CR LF). Throws VbError 50289 when locked,
  // VbaFormatError when that module's source cannot be read, std::out_of_range for a bad i.
  std::string exportText(size_t i) const;
  // Writes component i as folder/FileName (never following a link placed there) and returns
  // the path. Throws as exportText, and VbError 75 when the file cannot be written.
  std::string exportComponent(size_t i, const std::string& folder) const;

 private:
  struct Module {
    std::string source;         // decoded source, UTF-8
    std::string error;          // why the source could not be read (empty when it could)
    std::optional<std::string> designer;  // decoded designer text of a form
  };
  ProjectProtection protection_;
  int codePage_ = 1252;
  std::vector<VbaComponent> components_;
  std::vector<Module> modules_;
  friend class VbaProjectReader;
};

struct ExportSummary {
  ModuleCounts counts;                // StdCount, ClassCount, FormCount of the exported files
  std::vector<std::string> files;     // paths written, in project order
  std::vector<std::string> failures;  // "Name: reason" for each component left out
};

// Exports every component into folder (created when missing); files of the same names are
// replaced, other files are left alone. A damaged module is listed in failures and the others
// are still written. Throws VbError 50289 when the project is locked.
ExportSummary exportProject(const VbaProject& project, const std::string& folder);

// Deletes the files directly inside folder (links themselves, never their targets; subfolders
// are kept). A missing folder is not an error. Throws VbError 75 when a file cannot be deleted.
void emptyFolderFiles(const std::string& folder);

// The workbook-open export into the export folder: empties the folder's files, then exports
// the project of the workbook file (nothing when it has none). Throws CompoundFileError for a
// file that is not a compound file, VbaFormatError for a damaged project, VbError 50289 for a
// locked one.
ExportSummary replaceExportedModules(const std::string& workbookPath, const std::string& folder);
// The same for a compound file that is already open (Workbook::compoundFile()).
ExportSummary replaceExportedModules(const CompoundFile& file, const std::string& folder);

}  // namespace zel::xls::vba

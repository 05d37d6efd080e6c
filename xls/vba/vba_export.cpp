// Exporting the components to files: the lock check, the export text of each component,
// writing one file without following links, and the export folder's clean-up.
#include "xls/vba/module_export.h"
#include "xls/vba/vba_format_error.h"
#include "xls/vba/module_limits.h"
#include "xls/vba/vba_project.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace zel::xls::vba {
namespace {

constexpr long kPathFileAccessError = 75;
constexpr const char* kLockedDescription = "Can't perform operation since the project is protected.";

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

[[noreturn]] void accessError(const std::string& path, int code) {
  throw VbError(kPathFileAccessError, path + ": " + std::strerror(code));
}

// Creates or replaces one plain file. O_NOFOLLOW refuses a link planted under the name.
void writeWholeFile(const std::string& path, const std::string& text) {
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (fd.get() < 0) accessError(path, errno);
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd.get(), text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      accessError(path, errno);
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd.release()) != 0) accessError(path, errno);
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

const std::vector<VbaComponent>& VbaProject::components() const {
  if (lockedForViewing()) throw VbError(err::ProjectLocked, kLockedDescription);
  return components_;
}

std::string VbaProject::exportText(size_t i) const {
  const VbaComponent& c = components().at(i);
  const Module& m = modules_.at(i);
  if (!m.error.empty()) throw VbaFormatError(c.Name + ": " + m.error);
  DesignerBlock designer;
  if (m.designer) designer = readDesignerText(*m.designer);
  std::string text = buildExportText(c.Type, c.Name, m.source, &designer);
  if (text.size() > kMaxExportFileBytes) throw VbaFormatError(c.Name + ": the module is too large to export");
  return text;
}

std::string VbaProject::exportComponent(size_t i, const std::string& folder) const {
  std::string text = exportText(i);
  std::string path = joinPath(folder, components_[i].FileName);
  writeWholeFile(path, text);
  return path;
}

ExportSummary exportProject(const VbaProject& project, const std::string& folder) {
  const auto& components = project.components();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  ExportSummary summary;
  for (size_t i = 0; i < components.size(); ++i) {
    try {
      summary.files.push_back(project.exportComponent(i, folder));
    } catch (const VbaFormatError& e) {
      summary.failures.push_back(e.description());
      continue;
    }
    switch (components[i].Type) {
      case ComponentType::Standard: ++summary.counts.StdCount; break;
      case ComponentType::Class: ++summary.counts.ClassCount; break;
      case ComponentType::Form: ++summary.counts.FormCount; break;
      case ComponentType::Document: break;
    }
  }
  return summary;
}

void emptyFolderFiles(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  if (ec) return;  // a missing folder holds no files
  for (; it != end; it.increment(ec)) {
    if (ec) break;
    auto status = it->symlink_status(ec);
    if (ec || !(fs::is_regular_file(status) || fs::is_symlink(status))) continue;
    if (!fs::remove(it->path(), ec) && ec) accessError(it->path().string(), ec.value());
  }
  if (ec) accessError(folder, ec.value());
}

ExportSummary replaceExportedModules(const CompoundFile& file, const std::string& folder) {
  emptyFolderFiles(folder);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  auto project = VbaProject::read(file);
  if (!project) return {};
  return exportProject(*project, folder);
}

ExportSummary replaceExportedModules(const std::string& workbookPath, const std::string& folder) {
  return replaceExportedModules(CompoundFile::open(workbookPath), folder);
}

}  // namespace zel::xls::vba

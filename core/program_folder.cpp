// Program folder resolution and seeding.
#include "core/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace zel {

std::string defaultProgramFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg && xdg[0] == '/')
    return std::string(xdg) + "/zelvarin";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share/zelvarin";
  return "/tmp/zelvarin";
}

ProgramPaths programPathsFor(std::string_view folder) {
  ProgramPaths p;
  p.AppPath = std::string(folder);
  if (p.AppPath.empty()) p.AppPath = "./";
  if (p.AppPath.back() != '/') p.AppPath += '/';
  p.TempPath = p.AppPath + "temp/";
  p.DbPath = p.AppPath + "Analyze.mdb";
  p.IniPath = p.AppPath + "Zelvarin.ini";
  return p;
}

std::string shareFolder() {
  std::error_code ec;
  if (const char* env = std::getenv("ZELVARIN_SHARE"); env && *env) return env;
  // Installed location first, then relative to the executable (an unpacked install), then the source tree.
  if (fs::exists(fs::path(ZEL_SHARE_DIR) / "schema.sql", ec)) return ZEL_SHARE_DIR;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    fs::path rel = exe.parent_path().parent_path() / "share" / "zelvarin";
    if (fs::exists(rel / "schema.sql", ec)) return rel.string();
  }
  return ZEL_SOURCE_SHARE_DIR;
}

bool seedDefaultFile(const ProgramPaths& paths, const std::string& fileName) {
  std::error_code ec;
  fs::path target = fs::path(paths.AppPath) / fileName;
  if (fs::exists(target, ec)) return true;
  fs::path source = fs::path(shareFolder()) / fileName;
  if (!fs::exists(source, ec)) return false;
  fs::copy_file(source, target, fs::copy_options::skip_existing, ec);
  return !ec;
}

bool prepareProgramFolder(const ProgramPaths& paths, std::string* error) {
  std::error_code ec;
  const bool newFolder = !fs::exists(paths.TempPath, ec);
  fs::create_directories(paths.TempPath, ec);
  if (ec) {
    if (error) *error = paths.TempPath + ": " + ec.message();
    return false;
  }
  // The header defaults are put in place with a new folder only: a Zelvarin.dat missing later
  // is for the reader to report before it falls back on the default.
  if (newFolder) seedDefaultFile(paths, "Zelvarin.dat");
  for (const char* f : {"schema.sql", "help.html"}) seedDefaultFile(paths, f);
  return true;
}

static size_t lastSeparator(std::string_view path) { return path.find_last_of("/\\"); }

std::string FolderOf(std::string_view path) {
  auto pos = lastSeparator(path);
  if (pos == std::string_view::npos) return {};
  return std::string(path.substr(0, pos + 1));
}

std::string FileNameOf(std::string_view path) {
  auto pos = lastSeparator(path);
  if (pos == std::string_view::npos) return std::string(path);
  return std::string(path.substr(pos + 1));
}

std::string unquoteArgument(std::string_view arg) {
  while (!arg.empty() && arg.front() == ' ') arg.remove_prefix(1);
  while (!arg.empty() && arg.back() == ' ') arg.remove_suffix(1);
  if (arg.size() >= 2 && arg.front() == '"' && arg.back() == '"') arg = arg.substr(1, arg.size() - 2);
  return std::string(arg);
}

}  // namespace zel

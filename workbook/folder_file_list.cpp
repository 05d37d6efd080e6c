// Folder and link-source file listing with sizes in kilobytes and the read-only bit.
#include "workbook/folder_file_list.h"

#include "core/date_text.h"
#include "core/vb_error.h"
#include "core/vbstring.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace zel::workbook {
namespace {

char lowerAscii(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool wildMatch(std::string_view name, std::string_view pat) {
  size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pat.size() && (pat[p] == '?' || lowerAscii(pat[p]) == lowerAscii(name[n]))) {
      ++n;
      ++p;
    } else if (p < pat.size() && pat[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

bool isDriveOrUnc(const std::string& s) {
  if (s.size() >= 2 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':') return true;
  return s.rfind("\\\\", 0) == 0 || s.rfind("//", 0) == 0;
}

std::string slashes(std::string s) {
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

bool isRegularFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);  // follows symlinks; dangling links, FIFOs, sockets are not
}

}  // namespace

bool matchesPattern(std::string_view name, std::string_view pattern) {
  // "*.*" finds every file on Windows, also names without a dot.
  if (pattern == "*.*" || pattern == "*") return true;
  return wildMatch(name, pattern);
}

std::vector<std::string> listFolderFiles(const std::string& folder, std::string_view pattern) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    if (!isRegularFile(it->path())) continue;
    if (matchesPattern(name, pattern)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> locateLinkedFile(const std::string& link, const std::string& workbookFolder) {
  if (link.empty()) return std::nullopt;
  fs::path folder(workbookFolder);
  if (isDriveOrUnc(link)) {
    std::string wanted = FileNameOf(link);
    if (wanted.empty()) return std::nullopt;
    std::error_code ec;
    std::string exact = (folder / wanted).string();
    if (isRegularFile(exact)) return exact;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::string name = it->path().filename().string();
      if (name.size() == wanted.size() && matchesPattern(name, wanted) && isRegularFile(it->path()))
        return it->path().string();
    }
    return std::nullopt;
  }
  std::string local = slashes(link);
  fs::path p = local.front() == '/' ? fs::path(local) : folder / local;
  if (isRegularFile(p)) return p.lexically_normal().string();
  return std::nullopt;
}

FileFacts fileFacts(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    throw VbError(err::FileNotFound, "ファイルが見つかりません。(" + path + ")");
  FileFacts f;
  f.sizeKb = static_cast<double>(st.st_size) / 1024.0;
  f.updateDate = dateTimeText(st.st_mtime);
  f.readOnly = (st.st_mode & S_IWUSR) ? 0 : 1;
  return f;
}

bool runFolderFileList(RunContext& ctx, const std::vector<std::string>& linkSources) {
  const int option = ctx.options.FileOption;
  if (option == ctx.flags.fFil) return false;
  ctx.flags.fFil = 0;  // a failed run must not leave the old flag claiming these rows
  ResultDb::Run run(ctx.db);
  TableWriter rs(ctx.db, "T_XlFile");
  ctx.db.clearTable("T_XlFile");
  ctx.progress.showGauge(0);
  ctx.progress.setStatus("ファイル 情報　取得中");
  int64_t counter = 0;
  auto addRow = [&](const std::string& shownPath, const std::string& localPath) {
    FileFacts facts = fileFacts(localPath);
    ++counter;
    rs.addNew();
    rs.set("FileNo", static_cast<int64_t>(counter));
    rs.set("XFileName", FileNameOf(shownPath));
    rs.set("FileSize", facts.sizeKb);
    rs.set("UpdateDate", facts.updateDate);
    rs.set("FilePath", FolderOf(shownPath));
    if (facts.readOnly) rs.set("ReadOnly", *facts.readOnly);
    rs.update();
  };
  const std::string folder = FolderOf(ctx.workbookPath);
  if (option == 1 || option == 3) {
    for (const auto& name : listFolderFiles(folder, option == 1 ? "*.x*" : "*.*")) addRow(folder + name, folder + name);
  } else if (option == 2) {
    for (const auto& link : linkSources) {
      std::string shown = cutText(link, 255);
      auto local = locateLinkedFile(shown, folder);
      if (!local) throw VbError(err::FileNotFound, "ファイルが見つかりません。(" + shown + ")");
      addRow(shown, *local);
    }
  }
  ctx.flags.fFil = option;
  ctx.progress.setStatus("終了しました");
  ctx.progress.showGauge(100);
  return true;
}

}  // namespace zel::workbook

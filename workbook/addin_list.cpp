// Add-in folders from the program folder and Zelvarin.ini, and the T_XlAddin rows.
#include "workbook/addin_list.h"
#include "core/vbstring.h"

#include "core/profile_file.h"
#include "workbook/folder_file_list.h"

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace zel::workbook {
namespace {

// Keys Folder1, Folder2, ... (or Installed1, ...) until the first missing one.
// The ini is read once for all of them.
std::vector<std::string> numberedKeys(const ProgramPaths& paths, const std::string& stem) {
  const auto section = readProfileSection("ADDIN", paths.IniPath);
  std::vector<std::string> values;
  for (int i = 1; i <= 1000; ++i) {
    auto it = section.find(asciiLower(stem + std::to_string(i)));
    if (it == section.end() || it->second.empty()) break;
    values.push_back(it->second);
  }
  return values;
}

std::string withoutTrailingSlash(std::string s) {
  while (s.size() > 1 && (s.back() == '/' || s.back() == '\\')) s.pop_back();
  return s;
}

}  // namespace

std::vector<std::string> addInFolders(const ProgramPaths& paths) {
  std::vector<std::string> folders{paths.AppPath + "AddIns"};
  for (auto& f : numberedKeys(paths, "Folder")) folders.push_back(withoutTrailingSlash(f));
  return folders;
}

std::vector<AddIn> collectAddIns(const ProgramPaths& paths, const TitleReader& titleOf) {
  std::set<std::string> installed;
  for (auto& v : numberedKeys(paths, "Installed")) installed.insert(asciiLower(v));
  std::vector<AddIn> out;
  std::set<std::string> seen;
  for (const auto& folder : addInFolders(paths)) {
    std::error_code ec;
    std::string canonical = fs::weakly_canonical(folder, ec).string();
    if (!seen.insert(ec ? folder : canonical).second) continue;  // a folder listed twice counts once
    for (const auto& name : listFolderFiles(folder, "*.xla")) {
      if (asciiLower(fs::path(name).extension().string()) != ".xla") continue;
      AddIn a;
      a.Name = name;
      a.Path = withoutTrailingSlash(folder);
      a.FullName = a.Path + "/" + name;
      a.Installed = installed.count(asciiLower(name)) || installed.count(asciiLower(a.FullName));
      a.Title = titleOf ? titleOf(a.FullName) : std::string();
      out.push_back(std::move(a));
    }
  }
  return out;
}

void runAddinList(RunContext& ctx, const std::vector<std::string>& sheetNames, const std::vector<AddIn>& addIns) {
  ctx.flags.fAdd = 0;
  ResultDb::Run run(ctx.db);
  TableWriter rs(ctx.db, "T_XlAddin");
  ctx.db.clearTable("T_XlAddin");
  ctx.progress.showGauge(0);
  ctx.progress.setStatus("アドイン情報　取得中");
  int64_t counter = 0;
  GaugeStepper gauge(static_cast<int64_t>(sheetNames.size()));
  for (size_t i = 0; i < sheetNames.size(); ++i) {
    const std::string sheetName = sheetNames[i];  // local: the cell listing's selected sheet stays as it was
    for (const auto& a : addIns) {
      FileFacts facts = fileFacts(a.FullName);
      ++counter;
      rs.addNew();
      rs.set("FileNo", static_cast<int64_t>(counter));
      rs.set("Name", a.Name);
      rs.set("FullName", a.FullName);
      rs.set("Title", a.Title);
      rs.set("Installed", a.Installed ? -1 : 0);
      rs.set("objectName", sheetName);
      rs.set("FileSize", facts.sizeKb);
      rs.set("UpdateDate", facts.updateDate);
      if (facts.readOnly) rs.set("ReadOnly", *facts.readOnly);
      rs.set("FilePath", a.Path);
      rs.update();
    }
    ctx.progress.showGauge(gauge.percentAfter(static_cast<int64_t>(i + 1)));
  }
  ctx.flags.fAdd = 1;
  ctx.progress.setStatus("終了しました");
  ctx.progress.showGauge(100);
}

}  // namespace zel::workbook

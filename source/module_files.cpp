// Listing and reading the exported module files, and statement joining.
#include "source/module_files.h"

#include "core/vb_error.h"
#include "core/vbstring.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace zel::source {

namespace fs = std::filesystem;

const std::vector<KindInfo>& moduleKinds() {
  static const std::vector<KindInfo> kinds = {
      {ModuleKind::Standard, "bas", "標準ﾓｼﾞｭｰﾙ", "標準ﾓｼﾞｭｰﾙ(Api)"},
      {ModuleKind::Class, "cls", "ｸﾗｽﾓｼﾞｭｰﾙ", "ｸﾗｽﾓｼﾞｭｰﾙ(Api)"},
      {ModuleKind::Form, "frm", "ﾌｫｰﾑﾓｼﾞｭｰﾙ", "ﾌｫｰﾑﾓｼﾞｭｰﾙ(Api)"},
      {ModuleKind::Book, "bok", "ﾌﾞｯｸﾓｼﾞｭｰﾙ", "ﾌﾞｯｸﾓｼﾞｭｰﾙ(Api)"},
      {ModuleKind::Sheet, "sht", "ｼｰﾄﾓｼﾞｭｰﾙ", "ｼｰﾄﾓｼﾞｭｰﾙ(Api)"},
  };
  return kinds;
}

const KindInfo& kindInfo(ModuleKind kind) { return moduleKinds()[static_cast<size_t>(kind) - 1]; }

namespace {

[[noreturn]] void fileError(long number, const std::string& what, const ModuleFile& file) {
  throw VbError(number, what + ": " + file.name);
}

// Files of the folder whose extension matches; an empty extension lists every file ("*.*").
std::vector<ModuleFile> listModuleFiles(const std::string& folder, std::string_view extension) {
  std::vector<ModuleFile> files;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return files;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) throw VbError(err::PathNotFound, "Path not found: " + folder);
    std::error_code typeEc;
    if (!it->is_regular_file(typeEc)) continue;
    std::string name = it->path().filename().string();
    if (!extension.empty()) {
      auto dot = name.rfind('.');
      if (dot == std::string::npos || asciiLower(std::string_view(name).substr(dot + 1)) != asciiLower(extension)) continue;
    }
    // The stored name is valid UTF-8 even when the file system's bytes are not.
    files.push_back({it->path(), toU8(toU16(name))});
  }
  std::sort(files.begin(), files.end(), [](const ModuleFile& a, const ModuleFile& b) { return a.name < b.name; });
  return files;
}

// The kind a file of the "all files" listing belongs to: its last three characters, exact case.
const KindInfo* kindOfName(const std::string& name) {
  if (name.size() < 3) return nullptr;
  const std::string_view tail = std::string_view(name).substr(name.size() - 3);
  for (const KindInfo& k : moduleKinds())
    if (tail == k.extension) return &k;
  return nullptr;
}

}  // namespace

std::vector<ModuleEntry> listModules(const std::string& folder, ModuleSelection selection) {
  std::vector<ModuleEntry> modules;
  auto add = [&](std::vector<ModuleFile> files, const KindInfo* kind) {
    for (ModuleFile& f : files) {
      const KindInfo* k = kind ? kind : kindOfName(f.name);
      modules.push_back({std::move(f), k, static_cast<long>(modules.size()) + 1});
    }
  };
  switch (selection.scope) {
    case ModuleSelection::Scope::AllKinds:
      for (const KindInfo& k : moduleKinds()) add(listModuleFiles(folder, k.extension), &k);
      break;
    case ModuleSelection::Scope::OneKind: {
      const KindInfo& k = kindInfo(selection.kind);
      add(listModuleFiles(folder, k.extension), &k);
      break;
    }
    case ModuleSelection::Scope::EveryFile:
      add(listModuleFiles(folder, ""), nullptr);
      break;
  }
  return modules;
}

ModuleText ModuleText::read(const ModuleFile& file) {
  std::error_code ec;
  auto size = fs::file_size(file.path, ec);
  if (ec) fileError(err::FileNotFound, "File not found", file);
  if (size > kMaxModuleFileBytes) fileError(7, "Module file too large", file);
  std::ifstream in(file.path, std::ios::binary);
  if (!in) fileError(75, "Path/File access error", file);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) fileError(57, "Device I/O error", file);
  return fromUtf8(decodeWindowsText(bytes));
}

ModuleText ModuleText::fromUtf8(std::string_view text) {
  ModuleText t;
  t.text_ = std::make_unique<U16>(toU16(text));
  return t;
}

bool LineCursor::next(U16V& line) {
  if (atEnd()) return false;
  size_t end = next_;
  while (end < text_.size() && text_[end] != u'\r' && text_[end] != u'\n') ++end;
  line = text_.substr(next_, end - next_);
  if (end < text_.size() && text_[end] == u'\r' && end + 1 < text_.size() && text_[end + 1] == u'\n') ++end;
  next_ = end + 1;
  return true;
}

bool StatementReader::next(JoinedStatement& out) {
  out.text.clear();
  bool continued = false;
  U16V line;
  while (cursor_.next(line)) {
    ++line_;
    out.lastLine = line;
    out.line = line_;
    if (contains(line, u" _")) {
      out.text += vb::ltrim(vb::left(line, vb::len(line) - 1));
      continued = true;
      continue;
    }
    out.text += vb::ltrim(line);
    return true;
  }
  return continued;
}

}  // namespace zel::source

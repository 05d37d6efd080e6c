// The program folder (AppPath) with its files: Zelvarin.ini, Zelvarin.dat, Analyze.mdb, temp/.
// A per-user folder, created and seeded from the installed defaults on first start.
#pragma once
#include <string>
#include <string_view>

namespace zel {

struct ProgramPaths {
  std::string AppPath;   // always ends in "/"
  std::string TempPath;  // AppPath + "temp/"
  std::string DbPath;    // AppPath + "Analyze.mdb"
  std::string IniPath;   // AppPath + "Zelvarin.ini"
  std::string datPath() const { return AppPath + "Zelvarin.dat"; }
  std::string helpPath() const { return AppPath + "help.html"; }
};

// The folder named by --home, else $XDG_DATA_HOME/zelvarin, else ~/.local/share/zelvarin.
std::string defaultProgramFolder();

// Builds the paths for a program folder (a "/" is appended when missing).
ProgramPaths programPathsFor(std::string_view folder);

// Creates the folder and temp/, and copies each missing default file (schema.sql, help.html,
// and Zelvarin.dat when temp/ is new: a first run) from the installed share folder. Returns
// false with a message when the folder cannot be created.
bool prepareProgramFolder(const ProgramPaths& paths, std::string* error = nullptr);

// Copies one default file from the share folder when it is missing in the program folder.
bool seedDefaultFile(const ProgramPaths& paths, const std::string& fileName);

// The folder holding the installed defaults (share/zelvarin), or the source tree's share/.
std::string shareFolder();

// Path helpers that accept both "/" and "\" as separators.
std::string FolderOf(std::string_view path);    // up to and including the last separator
std::string FileNameOf(std::string_view path);  // after the last separator

// Strips one pair of surrounding double quotes from a command-line path, never more.
std::string unquoteArgument(std::string_view arg);

}  // namespace zel

// Windows profile-file (".ini") reading and writing with GetPrivateProfileString semantics:
// case-insensitive section and key names, defaults for anything missing, values kept as text.
#pragma once
#include <string>
#include <string_view>

namespace zel {

// The value of [section] key in the file, or def when the file, section or key is missing.
std::string getPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::string& path);

// Sets [section] key = value, creating file, section or key as needed; other lines are kept.
// Writes a temporary file then renames it, so a failed write loses nothing.
// Returns false (and leaves the old file as it was) when the file cannot be written.
bool writePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path);

// Writes whole text to path through a temporary file in the same folder and a rename.
bool writeFileAtomically(const std::string& path, std::string_view contents, std::string* error = nullptr);

// Reads a whole (small) file; false when it cannot be read.
bool readSmallFile(const std::string& path, std::string& out, size_t limit = 16u << 20);

}  // namespace zel

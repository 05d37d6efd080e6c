// Saving a result file: the ".xdb" name rule and the copy of Analyze.mdb (CopyDbFile).
#pragma once
#include <string>

namespace zel {

// A name ending in "XDB" (any case) loses its last four characters; then ".xdb" is appended.
std::string normalizeXdbPath(const std::string& path);

// Copies the database to a temporary file beside the target, then renames it over the target,
// so a failed copy leaves no half-written result file. False with a message on failure.
bool CopyDbFile(const std::string& source, const std::string& destination, std::string* error);

}  // namespace zel

// The private working folder of one command-line run: its own Analyze.mdb and export folder
// inside the program folder, so runs side by side and an open window never share state.
#pragma once
#include "core/program_folder.h"

#include <string>

namespace zel::cli {

class RunFolder {
 public:
  // Creates "run-XXXXXX" under the program folder's "cli/" and holds its lock while the run
  // lasts; folders of runs that ended without removing theirs (their lock is free) are
  // removed first. Throws std::runtime_error when the folder cannot be made.
  explicit RunFolder(const ProgramPaths& home);
  ~RunFolder();
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;

  // The program folder's paths with DbPath and TempPath inside this run's folder.
  const ProgramPaths& paths() const { return paths_; }

 private:
  std::string folder_;
  int lockFd_ = -1;
  ProgramPaths paths_;
};

}  // namespace zel::cli

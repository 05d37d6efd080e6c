// A run's own folder: made with mkdtemp, locked with flock while in use, removed at the end.
#include "cli/run_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

namespace zel::cli {
namespace {

constexpr const char* kRunsFolder = "cli";
constexpr const char* kRunPrefix = "run-";
constexpr const char* kLockName = "run.lock";
constexpr auto kSetUpTime = std::chrono::minutes(1);

// Opens a run folder's lock file and takes its lock without waiting; -1 when it is held.
int lockRun(const std::string& folder, bool create) {
  int fd = ::open((folder + "/" + kLockName).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Folders of runs that were killed: their lock is free (the system drops it with the process).
void removeAbandonedRuns(const std::string& runs) {
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(runs, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(kRunPrefix, 0) != 0 || !it->is_directory(ec) || it->is_symlink(ec)) continue;
    // A folder just made may not hold its lock yet: only older ones are looked at.
    const auto made = fs::last_write_time(it->path(), ec);
    if (ec || now - made < kSetUpTime) {
      ec.clear();
      continue;
    }
    int fd = lockRun(it->path().string(), false);
    if (fd < 0) continue;
    std::error_code removeError;
    fs::remove_all(it->path(), removeError);
    ::close(fd);
  }
}

}  // namespace

RunFolder::RunFolder(const ProgramPaths& home) : paths_(home) {
  const std::string runs = home.AppPath + kRunsFolder;
  std::error_code ec;
  fs::create_directories(runs, ec);
  removeAbandonedRuns(runs);
  std::string templ = runs + "/" + kRunPrefix + "XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data()))
    throw std::runtime_error("cannot make a working folder in " + runs + ": " + std::strerror(errno));
  folder_ = buf.data();
  lockFd_ = lockRun(folder_, true);
  paths_.DbPath = folder_ + "/Analyze.mdb";
  paths_.TempPath = folder_ + "/temp/";
  fs::create_directories(paths_.TempPath, ec);
  if (lockFd_ < 0 || ec) {
    fs::remove_all(folder_, ec);
    throw std::runtime_error("cannot make a working folder in " + runs);
  }
}

RunFolder::~RunFolder() {
  std::error_code ec;
  fs::remove_all(folder_, ec);
  if (lockFd_ >= 0) ::close(lockFd_);
}

}  // namespace zel::cli

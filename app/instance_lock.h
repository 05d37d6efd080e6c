// Single-instance guard: an exclusive flock on a file in the program folder. The system drops
// the lock when the process ends in any way, so a crashed run never blocks the next start.
#pragma once
#include <string>

namespace zel {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock on lockPath (created when missing). False when another holder has it
  // or the file cannot be opened; openError() then tells the two apart.
  bool tryLock(const std::string& lockPath);
  // The errno of a lock file that could not be opened or made (0: it was, and is held).
  int openError() const { return openError_; }
  bool held() const { return fd_ >= 0; }
  void release();

 private:
  int fd_ = -1;
  int openError_ = 0;
};

// The lock file of a program folder.
std::string instanceLockPath(const std::string& appPath);

}  // namespace zel

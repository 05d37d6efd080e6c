// flock-based single-instance guard.
#include "app/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace zel {

InstanceLock::~InstanceLock() { release(); }

bool InstanceLock::tryLock(const std::string& lockPath) {
  release();
  openError_ = 0;
  int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    openError_ = errno;
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void InstanceLock::release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

std::string instanceLockPath(const std::string& appPath) { return appPath + "Zelvarin.lock"; }

}  // namespace zel

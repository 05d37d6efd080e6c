// What the reader benchmarks share: the test workbook made in a child process (so the peak
// memory measured afterwards is the reader's, not the generator's) and that peak.
#pragma once
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

namespace zel::bench {

// Runs `generate` in a forked child; false when it could not run or did not finish cleanly.
inline bool generateInChildProcess(const std::function<void()>& generate) {
  const pid_t child = fork();
  if (child == 0) {
    generate();
    std::_Exit(0);
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// This process's peak resident memory in MB.
inline long peakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

}  // namespace zel::bench

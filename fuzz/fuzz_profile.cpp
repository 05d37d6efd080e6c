// Fuzzes the profile-file and Zelvarin.dat readers, and a rewrite of a damaged profile file.
#include "core/dat_file.h"
#include "core/profile_file.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/zel-fuzz-profile-" + std::to_string(::getpid()) + ".ini";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  for (const char* section : {"POS", "DEF", "RECENT", "ADDIN"})
    for (const char* key : {"T", "L", "Folder", "RecentFile1", "Folder1", "Installed1"})
      (void)zel::getPrivateProfileString(section, key, "0", path);
  zel::DatValues dat;
  zel::ReadDatFile(path, dat);
  zel::writePrivateProfileString("POS", "T", "120", path);
  if (zel::getPrivateProfileString("pos", "t", "0", path) != "120") __builtin_trap();
  std::remove(path.c_str());
  return 0;
}

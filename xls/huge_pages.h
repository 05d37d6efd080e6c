// Large reader buffers (the Workbook stream, its record list, a sheet's cells) are filled once
// right after they are reserved. Asking the kernel to back them with huge pages makes filling
// them cost one page fault per 2 MB instead of one per 4 KB. Only a hint: ignored where the
// system does not offer transparent huge pages.
#pragma once
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zel::xls {

inline void adviseHugePages(const void* data, std::size_t bytes) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  if (bytes < 2 * kHugePage) return;  // too small to hold a whole aligned huge page worth it
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// For a vector just reserved and not yet filled.
template <class T>
void adviseHugePages(const std::vector<T>& v) {
  adviseHugePages(v.data(), v.capacity() * sizeof(T));
}

}  // namespace zel::xls

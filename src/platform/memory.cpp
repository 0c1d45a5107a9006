#include "platform/memory.hpp"

#include <malloc.h>
#include <sys/mman.h>

namespace zentomi {
namespace {

// Blocks from this size up are mapped on their own and unmapped when freed. Setting it also
// stops glibc from raising it on its own.
constexpr int MAPPED_FROM_BYTES = 256 * 1024;
// A few arenas serve the job threads without each keeping freed memory of its own.
constexpr int ARENAS = 2;

}  // namespace

void return_large_blocks_to_the_system() {
  mallopt(M_MMAP_THRESHOLD, MAPPED_FROM_BYTES);
  mallopt(M_ARENA_MAX, ARENAS);
}

AddressRange whole_large_pages(std::uintptr_t start, std::size_t bytes) {
  const std::uintptr_t first = (start + LARGE_PAGE_BYTES - 1) & ~(LARGE_PAGE_BYTES - 1);
  const std::uintptr_t end = (start + bytes) & ~(LARGE_PAGE_BYTES - 1);
  if (first >= end) return {first, 0};
  return {first, end - first};
}

void prefer_large_pages(void* start, std::size_t bytes) {
  const AddressRange pages = whole_large_pages(reinterpret_cast<std::uintptr_t>(start), bytes);
  // A kernel without transparent large pages refuses the advice, which changes nothing.
  if (pages.bytes == 0) return;
  // Reached from the buffer's own pointer, which keeps its provenance.
  char* first = static_cast<char*>(start) + (pages.start - reinterpret_cast<std::uintptr_t>(start));
  ::madvise(first, pages.bytes, MADV_HUGEPAGE);
}

}  // namespace zentomi

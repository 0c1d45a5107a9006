#pragma once

#include <cstddef>
#include <cstdint>

namespace zentomi {

// Makes the allocator hand large freed blocks back to the system at once. Decoded pages are
// megabytes each and come and go with every page turn; glibc would otherwise keep them in
// per-thread arenas (and raise its mmap threshold after the first one is freed), so the memory
// of pages long gone would stay with the process. Call once, first thing in main().
void return_large_blocks_to_the_system();

inline constexpr std::size_t LARGE_PAGE_BYTES = std::size_t{2} << 20;

struct AddressRange {
  std::uintptr_t start = 0;
  std::size_t bytes = 0;
};

// The whole large pages inside [start, start + bytes): the only memory a hint about the buffer
// may name, since the rest of a large page holds other data.
AddressRange whole_large_pages(std::uintptr_t start, std::size_t bytes);

// Asks the kernel to back the buffer's untouched memory with large pages where it has them: a
// fresh page of tens of megabytes then costs tens of page faults instead of thousands. Only a
// hint; where the kernel offers no large pages nothing changes.
void prefer_large_pages(void* start, std::size_t bytes);

}  // namespace zentomi

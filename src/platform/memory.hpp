#pragma once

namespace zentomi {

// Makes the allocator hand large freed blocks back to the system at once. Decoded pages are
// megabytes each and come and go with every page turn; glibc would otherwise keep them in
// per-thread arenas (and raise its mmap threshold after the first one is freed), so the memory
// of pages long gone would stay with the process. Call once, first thing in main().
void return_large_blocks_to_the_system();

}  // namespace zentomi

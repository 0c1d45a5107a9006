#include "platform/memory.hpp"

#include <malloc.h>

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

}  // namespace zentomi

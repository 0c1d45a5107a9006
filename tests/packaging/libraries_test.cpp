// The libraries the reader links but does not exercise elsewhere yet work in this build, on its
// processor: in the device build this runs the static AArch64 archives under qemu, which is where
// a library that cannot be linked statically, or misses one of its own dependencies, shows up
// first. The image and font libraries are exercised by the decoding and text tests.
#include <gtest/gtest.h>

#include "packaging/sha256.hpp"

namespace zentomi {
namespace {

TEST(Libraries, LibcryptoGivesTheKnownSha256) {
  EXPECT_EQ(testing::sha256_hex("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace zentomi

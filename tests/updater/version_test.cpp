#include "updater/version.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zentomi {
namespace {

TEST(Version, NewerThanTheProgramsOwnVersion) {
  struct Case {
    const char* remote;
    bool newer;
  };
  for (const Case& c : std::vector<Case>{
           {"1.0.2", true},
           {"v1.0.2", true},
           {"1.0.1", false},
           {"v1.0.1", false},
           {"1.0", false},
           {"0.9.9", false},
           {"1.0.10", true},
           {"1.0.1.1", true},
           {"2", true},
           {"1.0.1-beta", false},
           {"vv1.0.2", true},
           {"V1.0.2", false},
           {"abc", false},
           {"", false},
           {"1.1", true},
           {"+1.0.2", true},
           {"1.0.4294967296", false},
           {"1.0.4294967295", true},
           {"1..0.2", true},
       }) {
    EXPECT_EQ(is_newer_version(c.remote, "1.0.1"), c.newer) << c.remote;
  }
}

TEST(Version, UnreadablePiecesAreSkippedNotCountedAsZero) {
  using Numbers = std::vector<std::uint32_t>;
  EXPECT_EQ(version_numbers("vvv10.+2..x.03"), (Numbers{10, 2, 3}));
  EXPECT_EQ(version_numbers("1.-2.+.2a. 3.4294967295"), (Numbers{1, 4294967295u}));
  EXPECT_EQ(version_numbers("v"), Numbers{});
  EXPECT_EQ(version_numbers("1.v2"), Numbers{1});
  EXPECT_FALSE(is_newer_version("1.0.1", "1.0.1"));
  EXPECT_TRUE(is_newer_version("1.x.0.2", "1.0.1"));
}

}  // namespace
}  // namespace zentomi

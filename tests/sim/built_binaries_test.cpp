// The built executables as files: the font travels inside them, and the specimen tool runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

bool contains(const std::string& haystack, const std::string& needle) {
  return std::search(haystack.begin(), haystack.end(),
                     std::boyer_moore_horspool_searcher(needle.begin(), needle.end())) !=
         haystack.end();
}

TEST(BuiltBinaries, BothProgramsCarryTheWholeFont) {
  const std::string font =
      testing::read_file(testing::source_dir() / "src/draw/DejaVuSans-Bold.ttf");
  ASSERT_EQ(font.size(), 708'920u);
  EXPECT_TRUE(contains(testing::read_file(ZENTOMI_PATH), font));
  EXPECT_TRUE(contains(testing::read_file(ZENTOMI_SIM_PATH), font));
}

TEST(BuiltBinaries, TheTextSpecimenIsWrittenAsAPng) {
  testing::TempDir dir;
  std::vector<std::string> argv = testing::built_program(ZENTOMI_SPECIMEN_PATH);
  argv.push_back((dir / "specimen.png").string());
  const auto result = testing::run_process(argv);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  const std::string png = testing::read_file(dir / "specimen.png");
  EXPECT_TRUE(png.starts_with("\x89PNG\r\n\x1A\n"));
}

}  // namespace
}  // namespace zentomi

// The reader must run on the console as it is: built for its processor and, in the static build,
// asking for no loader and no shared library of the firmware.
#include <elf.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <span>
#include <string>

#include "model/build_config.hpp"
#include "packaging/elf_file.hpp"
#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi::testing {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

#if defined(__aarch64__)
constexpr std::uint16_t TARGET_MACHINE = EM_AARCH64;
#elif defined(__x86_64__)
constexpr std::uint16_t TARGET_MACHINE = EM_X86_64;
#else
#error "no ELF machine known for this processor"
#endif

std::span<const unsigned char> bytes_of(const std::string& data) {
  return {reinterpret_cast<const unsigned char*>(data.data()), data.size()};
}

TEST(ShippedProgram, TheReaderIsAnExecutableForThisBuildsProcessor) {
  const std::string program = read_file(ZENTOMI_PATH);
  const auto summary = read_elf_summary(bytes_of(program));
  ASSERT_TRUE(summary) << summary.error();
  EXPECT_EQ(summary->machine, TARGET_MACHINE);
  EXPECT_TRUE(summary->has_symbol_table);  // stripping is the release package's business
  if (ZENTOMI_STATIC_BUILD) {
    EXPECT_EQ(summary->type, ET_EXEC);
    EXPECT_FALSE(summary->has_interpreter);
    EXPECT_FALSE(summary->has_dynamic_segment);
    EXPECT_THAT(summary->needed, IsEmpty());
  } else {
    EXPECT_TRUE(summary->has_interpreter);
    EXPECT_TRUE(summary->has_dynamic_segment);
    EXPECT_THAT(summary->needed, Contains("libc.so.6"));
  }
}

TEST(ShippedProgram, DamagedExecutablesAreReportedNotMisread) {
  const std::string program = read_file(ZENTOMI_PATH);
  EXPECT_THAT(read_elf_summary(bytes_of("")).error(), HasSubstr("not an ELF file"));
  EXPECT_THAT(read_elf_summary(bytes_of("#!/bin/sh\nexit 0\n" + std::string(64, '\n'))).error(),
              HasSubstr("not an ELF file"));
  // Only the file header: the program headers it points at are missing.
  EXPECT_THAT(read_elf_summary(bytes_of(program.substr(0, sizeof(Elf64_Ehdr)))).error(),
              HasSubstr("program headers out of bounds"));
  // Everything but the section headers at the end.
  EXPECT_THAT(read_elf_summary(bytes_of(program.substr(0, program.size() - 64))).error(),
              HasSubstr("section headers out of bounds"));
  std::string thirty_two_bit = program.substr(0, sizeof(Elf64_Ehdr));
  thirty_two_bit[EI_CLASS] = ELFCLASS32;
  EXPECT_THAT(read_elf_summary(bytes_of(thirty_two_bit)).error(),
              HasSubstr("not a little-endian 64-bit ELF file"));
}

TEST(ShippedProgram, StartsOnThisProcessorAndRunsUntilStopped) {
  // In its own folder, like on the card, with a curl that never reaches the network.
  TempDir folder;
  write_file(folder / "path/curl", "#!/bin/sh\nexit 7\n");
  std::filesystem::permissions(folder / "path/curl", std::filesystem::perms::owner_all);
  // The program makes its cover folder on the SD card path when it can; as root it could, so it
  // runs with a private, empty /mnt and leaves the machine's file system alone.
  std::vector<std::string> argv = built_program(ZENTOMI_PATH);
  if (::geteuid() == 0) {
    argv.insert(argv.begin(), {"unshare", "--mount", "/bin/sh", "-c",
                               "/bin/mount -t tmpfs zentomi-test /mnt && exec \"$@\"", "sh"});
  }
  const ProcessResult result =
      run_process(argv, {{{"TRIMUI_SIMULATOR", "1"}, {"PATH", (folder / "path").string()}},
                         folder.path().string(),
                         std::chrono::seconds(3)});
  EXPECT_TRUE(result.timed_out) << "ended early with " << result.err;
  EXPECT_THAT(result.err, HasSubstr("Starting Enhanced ZENTOMI for TrimUI (60 FPS)"));
  EXPECT_THAT(result.err, HasSubstr(std::string("Version: ") + APP_VERSION));
}

}  // namespace
}  // namespace zentomi::testing

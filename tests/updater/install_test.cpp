#include "updater/install.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "storage/faulty_file_system.hpp"
#include "support/environment.hpp"
#include "support/fake_curl.hpp"
#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"
#include "updater/package_listing.hpp"
#include "updater/package_verification.hpp"
#include "updater/signing_key.hpp"
#include "updater/staged_install.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;
using testing::FakeCurl;
using testing::TempDir;

const std::string PACKAGE_URL = "https://updates.test/pkg/zentomi-1.2.0.zip";

// What /proc says a descriptor of this process is: a file's path, "pipe:[...]", "/dev/null"...
std::string descriptor_target(int fd) {
  return fs::read_symlink("/proc/self/fd/" + std::to_string(fd)).string();
}

// unzip and chmod first on PATH as scripts that note each command line and where the child's
// standard streams lead, then run the real program.
class RecordedChildren {
 public:
  RecordedChildren()
      : environment_({{"PATH", (dir_ / "bin").string() + ":" + std::getenv("PATH")},
                      {"RECORDED_CHILDREN_LOG", (dir_ / "log").string()},
                      {"RECORDED_CHILDREN_PATH", std::getenv("PATH")}}) {
    for (const char* name : {"unzip", "chmod"}) {
      testing::write_file(dir_ / "bin" / name, R"(#!/bin/sh
in=$(readlink /proc/$$/fd/0)
out=$(readlink /proc/$$/fd/1)
err=$(readlink /proc/$$/fd/2)
name=$(basename "$0")
line="$name"
for argument in "$@"; do line="$line|$argument"; done
printf '%s in=%s out=%s err=%s\n' "$line" "$in" "$out" "$err" >> "$RECORDED_CHILDREN_LOG"
PATH=$RECORDED_CHILDREN_PATH exec "$name" "$@"
)");
      fs::permissions(dir_ / "bin" / name, fs::perms::owner_all);
    }
  }

  std::vector<std::string> lines() const {
    std::vector<std::string> lines;
    if (!fs::exists(dir_ / "log")) return lines;
    const std::string log = testing::read_file(dir_ / "log");
    for (std::size_t start = 0; start < log.size();) {
      const std::size_t end = log.find('\n', start);
      lines.push_back(log.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }

 private:
  TempDir dir_;
  testing::ScopedEnvironment environment_;
};

bool is_executable(const fs::path& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && (status.st_mode & S_IXUSR) != 0;
}

TEST(InstallDirectory, PreferredWhenPresentElseTwoLevelsAboveTheProgram) {
  TempDir dir;
  const InstallPaths paths{dir / "pkg.zip", dir / "sd/Apps/zentomi", dir / "exe"};
  fs::create_symlink(dir / "opt/app/bin/program", dir / "exe");
  EXPECT_EQ(choose_install_directory(paths), (dir / "opt/app").string());
  // Any kind of entry counts.
  testing::write_file(paths.preferred_directory, "");
  EXPECT_EQ(choose_install_directory(paths), paths.preferred_directory.string());
  fs::remove(paths.preferred_directory);

  fs::remove(dir / "exe");
  fs::create_symlink("/program", dir / "exe");
  EXPECT_EQ(choose_install_directory(paths), paths.preferred_directory.string());
  fs::remove(dir / "exe");
  fs::create_symlink("bin/program", dir / "exe");
  EXPECT_EQ(choose_install_directory(paths), paths.preferred_directory.string());
  fs::remove(dir / "exe");
  fs::create_symlink("/bin/program", dir / "exe");
  EXPECT_EQ(choose_install_directory(paths), "/");
  fs::remove(dir / "exe");
  fs::create_symlink("/data/\xff/bin/program", dir / "exe");
  EXPECT_EQ(choose_install_directory(paths), "/data/\uFFFD");
  fs::remove(dir / "exe");
  EXPECT_EQ(choose_install_directory(paths), paths.preferred_directory.string());
  // The real link names this test program.
  EXPECT_EQ(choose_install_directory({dir / "pkg.zip", dir / "absent", "/proc/self/exe"}),
            fs::read_symlink("/proc/self/exe").parent_path().parent_path().string());
}

// An installed older version, and a newer package served by the fake curl.
class Installation : public ::testing::Test {
 protected:
  Installation() {
    fs::create_directories(dir_ / "tmp");
    testing::write_file(install_ / "bin/zentomi-native64", "old program");
    testing::write_file(install_ / "launch.sh", "old script");
    testing::write_file(install_ / "data/history.json", "[]");
    testing::write_file(dir_ / "staging/bin/zentomi-native64", "new program");
    testing::write_file(dir_ / "staging/launch.sh", "new script");
    testing::write_file(dir_ / "staging/res/notes.txt", "added");
    const auto zipped = testing::run_process(
        {"zip", "-q", "-r", "-X", (dir_ / "package.zip").string(), "bin", "launch.sh", "res"},
        staging_options());
    EXPECT_EQ(zipped.exit_status, 0) << zipped.err;
    package_ = testing::read_file(dir_ / "package.zip");
    curl_.serve("pkg/zentomi-1.2.0.zip", package_);
  }

  testing::ProcessOptions staging_options() const {
    testing::ProcessOptions options;
    options.working_directory = (dir_ / "staging").string();
    return options;
  }

  OtaManifest manifest() const {
    PosixFileSystem files;
    return {"1.2.0", "Z", "C", PACKAGE_URL, 1.0f, file_sha256_hex(files, dir_ / "package.zip")};
  }

  std::expected<void, std::string> install(const OtaManifest& wanted,
                                           std::string_view pinned_key = "") {
    ::testing::internal::CaptureStderr();
    stderr_target_ = descriptor_target(STDERR_FILENO);
    auto outcome = download_and_install(wanted, paths_, pinned_key);
    log_ = ::testing::internal::GetCapturedStderr();
    return outcome;
  }

  void expect_old_version_untouched() const {
    EXPECT_EQ(testing::read_file(install_ / "bin/zentomi-native64"), "old program");
    EXPECT_EQ(testing::read_file(install_ / "launch.sh"), "old script");
    EXPECT_FALSE(fs::exists(install_ / "res"));
  }

  TempDir dir_;
  fs::path install_ = dir_ / "sd/Apps/zentomi";
  InstallPaths paths_{dir_ / "tmp/zentomi-update.zip", install_, dir_ / "no-link"};
  FakeCurl curl_;
  std::string package_;
  std::string log_;
  std::string stderr_target_;  // where standard error led during the last install
};

// A package of the given entries (name and content) written by Python's zipfile, which takes any
// name; served in place of the real one, its checksum left unchecked.
OtaManifest serve_python_zip(FakeCurl& curl, const fs::path& zip, const std::string& entries) {
  const auto written = testing::run_process({"python3", "-c",
                                             "import sys, zipfile\n"
                                             "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                             "    for name, content in " +
                                                 entries +
                                                 ":\n"
                                                 "        z.writestr(name, content)\n",
                                             zip.string()});
  EXPECT_EQ(written.exit_status, 0) << written.err;
  curl.serve("pkg/zentomi-1.2.0.zip", testing::read_file(zip));
  return {"1.2.0", "Z", "C", PACKAGE_URL, 1.0f, std::nullopt};
}

TEST_F(Installation, ReplacesTheOldFilesAndMakesTheProgramsExecutable) {
  EXPECT_TRUE(install(manifest()).has_value());
  EXPECT_EQ(testing::read_file(install_ / "bin/zentomi-native64"), "new program");
  EXPECT_EQ(testing::read_file(install_ / "launch.sh"), "new script");
  EXPECT_EQ(testing::read_file(install_ / "res/notes.txt"), "added");
  EXPECT_EQ(testing::read_file(install_ / "data/history.json"), "[]");
  EXPECT_TRUE(is_executable(install_ / "bin/zentomi-native64"));
  EXPECT_TRUE(is_executable(install_ / "launch.sh"));
  EXPECT_FALSE(is_executable(install_ / "res/notes.txt"));
  EXPECT_FALSE(fs::exists(paths_.package));
  EXPECT_EQ(log_, "[OTA] Starting download from: " + PACKAGE_URL +
                      "\n[OTA] Download completed. Extracting to: " + install_.string() +
                      "\n[OTA] Update successfully applied! Restarting Zentomi...\n");
  // A manifest size of 1 MiB allows 2.25 MiB.
  const std::vector<std::string> download = {"-4",
                                             "-k",
                                             "-s",
                                             "-L",
                                             "--connect-timeout",
                                             "10",
                                             "--max-time",
                                             "120",
                                             "--max-filesize",
                                             "2359296",
                                             "-o",
                                             paths_.package.string(),
                                             PACKAGE_URL};
  EXPECT_EQ(curl_.command_lines(), std::vector<std::vector<std::string>>{download});
}

TEST_F(Installation, AFailedDownloadLeavesTheInstallAlone) {
  testing::write_file(paths_.package, "stale partial download");
  curl_.serve("pkg/zentomi-1.2.0.zip.action", "exit 28");
  EXPECT_EQ(install(manifest()), std::unexpected(std::string("Failed to download update package")));
  // The previous attempt's leftover went before curl ran.
  EXPECT_FALSE(fs::exists(paths_.package));
  expect_old_version_untouched();
  EXPECT_EQ(log_, "[OTA] Starting download from: " + PACKAGE_URL + "\n");
}

TEST(PackageDownloadBound, TheManifestSizeWithAMarginUnderTheCeiling) {
  const std::uint64_t ceiling = std::uint64_t{64} << 20;
  const struct {
    float size_mb;
    std::uint64_t bound;
  } cases[] = {
      {1.0f, 2359296},  {0.5f, 1703936},
      {0.0f, ceiling},  {-3.0f, ceiling},
      {1e30f, ceiling}, {std::numeric_limits<float>::infinity(), ceiling},
      {60.0f, ceiling}, {std::numeric_limits<float>::quiet_NaN(), ceiling},
  };
  for (const auto& [size_mb, bound] : cases)
    EXPECT_EQ(package_download_bound(size_mb, ceiling), bound) << size_mb;
}

TEST_F(Installation, ADownloadPastItsBoundEndsAndLeavesNothing) {
  // 3 MiB that do not compress, for a manifest that says 0.5 MiB: curl is ended at 1.625 MiB.
  std::string noise(3 << 20, '\0');
  std::uint32_t state = 1;
  for (char& byte : noise) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<char>(state >> 24);
  }
  curl_.serve("pkg/zentomi-1.2.0.zip", noise);
  OtaManifest small = manifest();
  small.size_mb = 0.5f;
  small.sha256.reset();
  EXPECT_EQ(install(small), std::unexpected(std::string("Failed to download update package")));
  EXPECT_FALSE(fs::exists(paths_.package));
  expect_old_version_untouched();
}

TEST_F(Installation, APartialDownloadIsDeleted) {
  // A curl that wrote part of the package and then timed out.
  TempDir bin;
  testing::write_file(bin / "curl", R"(#!/bin/sh
while [ "$#" -gt 1 ]; do [ "$1" = -o ] && echo partial > "$2"; shift; done
exit 28
)");
  fs::permissions(bin / "curl", fs::perms::owner_all);
  const testing::ScopedEnvironment path(
      {{"PATH", bin.path().string() + ":" + std::getenv("PATH")}});
  EXPECT_EQ(install(manifest()), std::unexpected(std::string("Failed to download update package")));
  EXPECT_FALSE(fs::exists(paths_.package));
}

TEST_F(Installation, NoDownloadStartsWithoutRoomForIt) {
  paths_.max_package_bytes = std::uint64_t{1} << 62;
  OtaManifest unsized = manifest();
  unsized.size_mb = 0.0f;
  EXPECT_EQ(install(unsized), std::unexpected(std::string(NO_SPACE_FOR_PACKAGE_MESSAGE)));
  EXPECT_TRUE(curl_.command_lines().empty());
  expect_old_version_untouched();
}

TEST_F(Installation, ARefusedPackageIsDeletedAndNothingIsUnpacked) {
  OtaManifest wrong_checksum = manifest();
  wrong_checksum.sha256 = std::string(64, '0');
  EXPECT_EQ(install(wrong_checksum),
            std::unexpected(std::string("Update package checksum mismatch")));
  EXPECT_FALSE(fs::exists(paths_.package));
  expect_old_version_untouched();

  const testing::SigningKey key;
  EXPECT_EQ(install(manifest(), key.public_key_base64()),
            std::unexpected(std::string("Update package signature invalid")));
  EXPECT_FALSE(fs::exists(paths_.package));
  expect_old_version_untouched();

  OtaManifest signed_manifest = manifest();
  signed_manifest.signature = key.sign_base64(signed_update_text("1.2.0", *signed_manifest.sha256));
  EXPECT_TRUE(install(signed_manifest, key.public_key_base64()).has_value());
  EXPECT_EQ(testing::read_file(install_ / "launch.sh"), "new script");
}

TEST_F(Installation, AnUnreadablePackageFailsToExtractAndIsDeleted) {
  curl_.serve("pkg/zentomi-1.2.0.zip", package_.substr(0, package_.size() / 2));
  OtaManifest unchecked = manifest();
  unchecked.sha256.reset();
  EXPECT_EQ(install(unchecked), std::unexpected(std::string("Failed to extract update package")));
  EXPECT_FALSE(fs::exists(paths_.package));
  EXPECT_EQ(testing::read_file(install_ / "data/history.json"), "[]");
}

TEST_F(Installation, OnlyWebAddressesReachCurl) {
  OtaManifest local = manifest();
  local.download_url = "-K/etc/passwd";
  const auto outcome = install(local);
  ASSERT_FALSE(outcome.has_value());
  EXPECT_NE(outcome.error().find("-K/etc/passwd"), std::string::npos);
  EXPECT_TRUE(curl_.command_lines().empty());
  expect_old_version_untouched();

  // A range in the address must not make curl fetch a series of packages.
  local.download_url = "https://updates.example/pkg/zentomi-[1-9].zip";
  EXPECT_FALSE(install(local).has_value());
  ASSERT_EQ(curl_.command_lines().size(), 1u);
  EXPECT_EQ(curl_.command_lines()[0].back(), "https://updates.example/pkg/zentomi-%5B1-9%5D.zip");
}

TEST_F(Installation, UnzipAndChmodWriteToTheProgramsOwnStreams) {
  const RecordedChildren children;
  ASSERT_TRUE(install(manifest()).has_value()) << log_;
  const std::string staging = install_.string() + "/.update-staging";
  const std::string streams =
      " in=/dev/null out=" + descriptor_target(STDOUT_FILENO) + " err=" + stderr_target_;
  // The same command lines as ever, unpacking into the staging folder; only the listing that
  // checks the package is read through a pipe.
  const std::vector<std::string> expected = {
      "unzip|-Z|-s|" + paths_.package.string(),
      "unzip|-o|" + paths_.package.string() + "|-d|" + staging + streams,
      "chmod|+x|" + staging + "/bin/zentomi-native64" + streams,
      "chmod|+x|" + staging + "/launch.sh" + streams,
  };
  const std::vector<std::string> lines = children.lines();
  ASSERT_EQ(lines.size(), expected.size()) << log_;
  EXPECT_TRUE(lines[0].starts_with(expected[0] + " in=/dev/null out=pipe:")) << lines[0];
  for (std::size_t i = 1; i < expected.size(); ++i)
    EXPECT_EQ(lines[i], expected[i]);
  EXPECT_FALSE(fs::exists(staging));
}

TEST_F(Installation, AnUnpackingThatFailsHalfWayChangesNothing) {
  // Stored, so the second file's bytes can be spoilt in place: unzip writes the program, then
  // finds the script's checksum wrong.
  const auto zipped = testing::run_process({"zip", "-q", "-0", "-X", (dir_ / "stored.zip").string(),
                                            "bin/zentomi-native64", "launch.sh"},
                                           staging_options());
  ASSERT_EQ(zipped.exit_status, 0) << zipped.err;
  std::string spoilt = testing::read_file(dir_ / "stored.zip");
  const std::size_t script = spoilt.find("new script");
  ASSERT_NE(script, std::string::npos);
  spoilt[script] = 'N';
  curl_.serve("pkg/zentomi-1.2.0.zip", spoilt);
  OtaManifest unchecked = manifest();
  unchecked.sha256.reset();
  EXPECT_EQ(install(unchecked), std::unexpected(std::string("Failed to extract update package")));
  expect_old_version_untouched();
  EXPECT_FALSE(fs::exists(install_ / ".update-staging"));
  EXPECT_FALSE(fs::exists(paths_.package));
}

TEST_F(Installation, APackageHoldingALinkIsRefusedBeforeAnythingIsWritten) {
  testing::write_file(dir_ / "outside", "not ours");
  fs::permissions(dir_ / "outside", fs::perms::owner_read | fs::perms::owner_write);
  fs::remove(dir_ / "staging/launch.sh");
  fs::create_symlink(dir_ / "outside", dir_ / "staging/launch.sh");
  const auto zipped = testing::run_process(
      {"zip", "-q", "-r", "-y", "-X", (dir_ / "linked.zip").string(), "bin", "launch.sh"},
      staging_options());
  ASSERT_EQ(zipped.exit_status, 0) << zipped.err;
  curl_.serve("pkg/zentomi-1.2.0.zip", testing::read_file(dir_ / "linked.zip"));
  OtaManifest unchecked = manifest();
  unchecked.sha256.reset();
  EXPECT_EQ(install(unchecked),
            std::unexpected(std::string("Update package refused: it holds a link")));
  EXPECT_FALSE(is_executable(dir_ / "outside"));
  expect_old_version_untouched();
  EXPECT_FALSE(fs::exists(paths_.package));
  EXPECT_NE(log_.find("[OTA] Refused package entry: launch.sh\n"), std::string::npos) << log_;
}

TEST_F(Installation, NamesReachingOutsideAreRefusedBeforeAnythingIsWritten) {
  for (const std::string name :
       {"../escaped", "bin/../../escaped", "/tmp/escaped", ".update-staging/x"}) {
    SCOPED_TRACE(name);
    const OtaManifest package = serve_python_zip(
        curl_, dir_ / "named.zip",
        "[('launch.sh', 'new script'), ('" + name + "', 'out'), ('res/notes.txt', 'added')]");
    EXPECT_EQ(install(package),
              std::unexpected(
                  std::string("Update package refused: a name reaches outside the app folder")));
    expect_old_version_untouched();
    EXPECT_FALSE(fs::exists(dir_ / "sd/Apps/escaped"));
    EXPECT_FALSE(fs::exists(install_ / "escaped"));
    EXPECT_FALSE(fs::exists(paths_.package));
  }
}

// unzip takes a backslash for a separator in names written on DOS or Windows.
TEST(PackageEntries, ABackslashSeparatesNamesAsASlashDoes) {
  const auto refused = [](const std::string& name) {
    return refuse_package_entries({PackageEntry{'-', 1, name}}, 1 << 20, ".update-staging");
  };
  for (const std::string name : {"\\tmp\\escaped", ".update-staging\\x", "bin\\..\\..\\x"}) {
    EXPECT_EQ(refused(name), "Update package refused: a name reaches outside the app folder")
        << name;
  }
  EXPECT_EQ(refused("bin\\zentomi-native"), std::nullopt);
  EXPECT_EQ(refused(".update-staging-not\\x"), std::nullopt);
}

TEST_F(Installation, APackageTooLargeWhenUnpackedIsRefusedBeforeAnythingIsWritten) {
  // 65 MiB of zeros, compressed as they are produced: some 64 KB on the disk.
  const auto written =
      testing::run_process({"python3", "-c",
                            "import sys, zipfile\n"
                            "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                            "    z.writestr('launch.sh', 'new script')\n"
                            "    with z.open('res/zeros', 'w') as f:\n"
                            "        for _ in range(65):\n"
                            "            f.write(bytes(1024 * 1024))\n",
                            (dir_ / "bomb.zip").string()});
  ASSERT_EQ(written.exit_status, 0) << written.err;
  ASSERT_LT(fs::file_size(dir_ / "bomb.zip"), 1024u * 1024u);
  curl_.serve("pkg/zentomi-1.2.0.zip", testing::read_file(dir_ / "bomb.zip"));
  const OtaManifest unchecked{"1.2.0", "Z", "C", PACKAGE_URL, 1.0f, std::nullopt};
  EXPECT_EQ(install(unchecked),
            std::unexpected(std::string("Update package refused: too large when unpacked")));
  expect_old_version_untouched();
  EXPECT_FALSE(fs::exists(install_ / ".update-staging"));

  // The bound is the whole package's, not one entry's.
  paths_.max_unpacked_bytes = 14;
  EXPECT_EQ(install(serve_python_zip(curl_, dir_ / "two.zip",
                                     "[('launch.sh', 'new script'), ('res/notes.txt', 'added')]")),
            std::unexpected(std::string("Update package refused: too large when unpacked")));
  expect_old_version_untouched();
  paths_.max_unpacked_bytes = 15;
  EXPECT_TRUE(install(serve_python_zip(curl_, dir_ / "two.zip",
                                       "[('launch.sh', 'new script'), ('res/notes.txt', 'added')]"))
                  .has_value());
}

// A package whose listing declares smaller sizes than its entries unpack to: (name, content,
// declared size) triples, the declared size None where it is true.
OtaManifest serve_lying_zip(FakeCurl& curl, const fs::path& zip, const std::string& entries) {
  const auto written = testing::run_process(
      {"python3", "-c",
       "import struct, sys, zipfile\n"
       "entries = " +
           entries +
           "\n"
           "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
           "    for name, content, _ in entries:\n"
           "        z.writestr(name, content)\n"
           "    infos = z.infolist()\n"
           "data = bytearray(open(sys.argv[1], 'rb').read())\n"
           "central = data.find(b'PK\\x01\\x02')\n"
           "for (name, content, declared), info in zip(entries, infos):\n"
           "    if declared is not None:\n"
           "        struct.pack_into('<I', data, info.header_offset + 22, declared)\n"
           "        struct.pack_into('<I', data, central + 24, declared)\n"
           "    central = data.find(b'PK\\x01\\x02', central + 4)\n"
           "open(sys.argv[1], 'wb').write(data)\n",
       zip.string()});
  EXPECT_EQ(written.exit_status, 0) << written.err;
  curl.serve("pkg/zentomi-1.2.0.zip", testing::read_file(zip));
  return {"1.2.0", "Z", "C", PACKAGE_URL, 1.0f, std::nullopt};
}

TEST_F(Installation, TheUnpackedSizeIsEnforcedNotTrusted) {
  const std::string too_large = "Update package refused: too large when unpacked";
  const struct {
    std::string entries;
    std::uint64_t bound;
    std::string message;
  } cases[] = {
      // 8 MiB of zeros declared as 1000 bytes: unzip is ended when the file passes a mebibyte.
      {"[('launch.sh', 'new script', None), ('res/big', bytes(8 << 20), 1000)]", 64 << 20,
       "Failed to extract update package"},
      {"[('launch.sh', 'new script', None), ('res/big', bytes(8 << 20), 1000)]", 2000, too_large},
      // Each file within the largest declared, the whole past the bound.
      {"[('launch.sh', 'new script', None), ('res/notes.txt', 'ten bytes!', 5)]", 15, too_large},
  };
  for (const auto& [entries, bound, message] : cases) {
    SCOPED_TRACE(entries);
    paths_.max_unpacked_bytes = bound;
    EXPECT_EQ(install(serve_lying_zip(curl_, dir_ / "lying.zip", entries)),
              std::unexpected(message));
    expect_old_version_untouched();
    EXPECT_FALSE(fs::exists(install_ / ".update-staging"));
  }
}

TEST_F(Installation, NamesDifferingOnlyInCaseAreRefused) {
  for (const std::string entries :
       {"[('launch.sh', 'a'), ('Launch.sh', 'b')]", "[('bin/a', 'a'), ('BIN/b', 'b')]",
        "[('res/x/', ''), ('res/X', 'file')]"}) {
    SCOPED_TRACE(entries);
    EXPECT_EQ(
        install(serve_python_zip(curl_, dir_ / "cased.zip", entries)),
        std::unexpected(std::string("Update package refused: two names differ only in case")));
    expect_old_version_untouched();
  }
}

TEST_F(Installation, TheNextStartFinishesACompleteStagingAndDiscardsAnIncompleteOne) {
  const fs::path staging = install_ / STAGING_FOLDER;
  const fs::path marker = install_ / STAGED_MARKER;
  // An install ended during its moves: the script moved, the program not yet.
  const auto half_moved = [&] {
    testing::write_file(staging / "bin/zentomi-native64", "new program");
    testing::write_file(install_ / "launch.sh", "new script");
    testing::write_file(marker, "");
  };
  const struct {
    const char* what;
    std::function<void()> left;
    std::expected<StagedInstall, std::string> outcome;
    const char* program;
    const char* script;
  } cases[] = {
      {"nothing", [] {}, StagedInstall::None, "old program", "old script"},
      {"ended while unpacking", [&] { testing::write_file(staging / "launch.sh", "new script"); },
       StagedInstall::Discarded, "old program", "old script"},
      {"ended while moving", half_moved, StagedInstall::Finished, "new program", "new script"},
      {"ended after the moves", [&] { testing::write_file(marker, ""); }, StagedInstall::None,
       "old program", "old script"},
  };
  for (const auto& [what, left, outcome, program, script] : cases) {
    SCOPED_TRACE(what);
    testing::write_file(install_ / "bin/zentomi-native64", "old program");
    testing::write_file(install_ / "launch.sh", "old script");
    left();
    EXPECT_EQ(finish_staged_install(*paths_.files, install_), outcome);
    EXPECT_EQ(testing::read_file(install_ / "bin/zentomi-native64"), program);
    EXPECT_EQ(testing::read_file(install_ / "launch.sh"), script);
    EXPECT_FALSE(fs::exists(staging));
    EXPECT_FALSE(fs::exists(marker));
  }

  // A staging that can never fit is discarded without a move.
  fs::create_directories(install_ / "res/notes.txt");
  testing::write_file(staging / "launch.sh", "new script");
  testing::write_file(staging / "res/notes.txt", "a file where the app has a folder");
  testing::write_file(marker, "");
  EXPECT_FALSE(finish_staged_install(*paths_.files, install_).has_value());
  EXPECT_EQ(testing::read_file(install_ / "bin/zentomi-native64"), "old program");
  EXPECT_EQ(testing::read_file(install_ / "launch.sh"), "old script");
  EXPECT_FALSE(fs::exists(staging));
  EXPECT_FALSE(fs::exists(marker));

  // What a failed install left marked is not installed with the next one.
  testing::write_file(staging / "res/stale", "stale");
  testing::write_file(marker, "");
  fs::remove_all(install_ / "res");
  ASSERT_TRUE(install(manifest()).has_value()) << log_;
  EXPECT_FALSE(fs::exists(install_ / "res/stale"));
  EXPECT_EQ(testing::read_file(install_ / "launch.sh"), "new script");
}

TEST_F(Installation, ALinkLeftInTheAppFolderIsReplacedNotFollowed) {
  // An earlier update made bin a link to a folder outside.
  fs::create_directories(dir_ / "outside-bin");
  fs::remove_all(install_ / "bin");
  fs::create_directory_symlink(dir_ / "outside-bin", install_ / "bin");
  ASSERT_TRUE(install(manifest()).has_value()) << log_;
  EXPECT_TRUE(fs::is_empty(dir_ / "outside-bin"));
  EXPECT_FALSE(fs::is_symlink(install_ / "bin"));
  EXPECT_EQ(testing::read_file(install_ / "bin/zentomi-native64"), "new program");
  EXPECT_TRUE(is_executable(install_ / "bin/zentomi-native64"));
  EXPECT_EQ(testing::read_file(install_ / "launch.sh"), "new script");
}

TEST_F(Installation, AFileWhereTheAppHasAFolderChangesNothing) {
  fs::create_directories(install_ / "res/notes.txt");
  EXPECT_EQ(install(manifest()), std::unexpected(std::string("Failed to extract update package")));
  EXPECT_EQ(testing::read_file(install_ / "bin/zentomi-native64"), "old program");
  EXPECT_EQ(testing::read_file(install_ / "launch.sh"), "old script");
  EXPECT_TRUE(fs::is_empty(install_ / "res/notes.txt"));
  EXPECT_FALSE(fs::exists(install_ / ".update-staging"));
}

// A file step that fails while checking, staging or moving fails the install without touching
// the app; once the staging is marked complete, the next start finishes it.
TEST_F(Installation, AFailedFileStepLeavesTheOldVersionOrAnInstallTheNextStartFinishes) {
  const std::string extraction_failed = "Failed to extract update package";
  const struct {
    const char* step;
    std::string message;
    const char* program_after_next_start;
  } cases[] = {
      {"read zentomi-update.zip", "Update package checksum mismatch", "old program"},
      {"create_directories .update-staging", extraction_failed, "old program"},
      {"flush_file_system", extraction_failed, "old program"},  // before the staging folder is made
      {"create .update-staged", extraction_failed, "old program"},
      {"rename", extraction_failed, "new program"},  // the first move
  };
  for (const auto& [step, message, program_after_next_start] : cases) {
    SCOPED_TRACE(step);
    const auto files = std::make_shared<testing::FaultyFileSystem>();
    files->fail_first(step);
    paths_.files = files;
    EXPECT_EQ(install(manifest()), std::unexpected(message));
    expect_old_version_untouched();
    EXPECT_FALSE(fs::exists(paths_.package));

    PosixFileSystem next_start;
    EXPECT_TRUE(finish_staged_install(next_start, install_).has_value());
    EXPECT_EQ(testing::read_file(install_ / "bin/zentomi-native64"), program_after_next_start);
    EXPECT_FALSE(fs::exists(install_ / STAGING_FOLDER));
    testing::write_file(install_ / "bin/zentomi-native64", "old program");
    testing::write_file(install_ / "launch.sh", "old script");
    fs::remove_all(install_ / "res");
  }
}

}  // namespace
}  // namespace zentomi

#include "updater/install.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/fake_curl.hpp"
#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"
#include "updater/package_verification.hpp"
#include "updater/signing_key.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;
using testing::FakeCurl;
using testing::TempDir;

const std::string PACKAGE_URL = "https://updates.test/pkg/zentomi-1.2.0.zip";

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
    return {"1.2.0", "Z", "C", PACKAGE_URL, 1.0f, file_sha256_hex(dir_ / "package.zip")};
  }

  std::expected<void, std::string> install(const OtaManifest& wanted,
                                           std::string_view pinned_key = "") {
    ::testing::internal::CaptureStderr();
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
};

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
  const std::vector<std::string> download = {
      "-4",       "-k",         "-s",  "-L", "--connect-timeout",
      "10",       "--max-time", "120", "-o", paths_.package.string(),
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
  signed_manifest.signature =
      key.sign_base64(signed_update_text("1.2.0", *file_sha256_hex(dir_ / "package.zip")));
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

}  // namespace
}  // namespace zentomi

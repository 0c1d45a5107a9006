// The release command as a maintainer runs it, on the program this build made: the app folder,
// the update zip the updater unpacks into the install directory, and the manifest describing it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "model/build_config.hpp"
#include "packaging/elf_file.hpp"
#include "packaging/sha256.hpp"
#include "packaging/zip_directory.hpp"
#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"
#include "updater/package_verification.hpp"

namespace zentomi::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string DOWNLOAD_URL = "https://updates.example/zentomi/zentomi-1.0.1.zip";
const std::string CHANGELOG = "Sửa lỗi \"đọc tiếp\"\n- Nhanh hơn";

std::span<const unsigned char> bytes_of(const std::string& data) {
  return {reinterpret_cast<const unsigned char*>(data.data()), data.size()};
}

mode_t mode_of(const fs::path& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return 0;
  return status.st_mode;
}

ProcessResult run_release(const fs::path& out, std::vector<std::string> arguments) {
  std::vector<std::string> argv = {
      "sh",          (source_dir() / "packaging/make-release.sh").string(),
      "--binary",    ZENTOMI_PATH,
      "--build-dir", binary_dir().string(),
      "--strip",     ZENTOMI_STRIP,
      "--out",       out.string()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return run_process(argv, {{{"SOURCE_DATE_EPOCH", "1700000000"}}, {}, std::chrono::seconds(120)});
}

// One release, made once for the whole suite.
class Release : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    directory_.emplace();
    const ProcessResult result =
        run_release(out(), {"--download-url", DOWNLOAD_URL, "--changelog", CHANGELOG});
    ASSERT_EQ(result.exit_status, 0) << result.out << result.err;
  }
  static void TearDownTestSuite() { directory_.reset(); }

  static fs::path out() { return *directory_ / "dist"; }
  static fs::path zip_path() { return out() / (std::string("zentomi-") + APP_VERSION + ".zip"); }
  static fs::path sdcard_zip_path() {
    return out() / (std::string("zentomi-") + APP_VERSION + "-sdcard.zip");
  }

 private:
  static inline std::optional<TempDir> directory_;
};

TEST_F(Release, ZipHoldsTheAppFolderWithTheModesTheLauncherNeeds) {
  const auto entries = read_zip_directory(bytes_of(read_file(zip_path())));
  ASSERT_TRUE(entries) << entries.error();
  std::vector<std::string> names;
  for (const ZipEntry& entry : *entries) {
    names.push_back(entry.name);
    EXPECT_TRUE(entry.made_on_unix) << entry.name;
    const bool executable = entry.name == "launch.sh" || entry.name == "bin/zentomi-native64";
    EXPECT_EQ(entry.mode, executable ? 0100755u : 0100644u) << entry.name;
  }
  // Paths relative to the install directory; never data/ or cache/, which hold the user's files.
  EXPECT_THAT(names, ElementsAre("launch.sh", "config.json", "icon.png", "bin/zentomi-native64"));
}

TEST_F(Release, UnzippingAsTheUpdaterDoesInstallsTheStrippedProgram) {
  TempDir install;
  const ProcessResult unzip =
      run_process({"unzip", zip_path().string(), "-d", install.path().string()});
  ASSERT_EQ(unzip.exit_status, 0) << unzip.err;

  const fs::path program = install / "bin/zentomi-native64";
  EXPECT_EQ(mode_of(program) & 0777, 0755u);
  EXPECT_EQ(mode_of(install / "launch.sh") & 0777, 0755u);
  const std::string installed = read_file(program);
  EXPECT_EQ(installed, read_file(out() / "zentomi/bin/zentomi-native64"));
  const auto summary = read_elf_summary(bytes_of(installed));
  ASSERT_TRUE(summary) << summary.error();
  const auto built = read_elf_summary(bytes_of(read_file(ZENTOMI_PATH)));
  ASSERT_TRUE(built) << built.error();
  EXPECT_EQ(summary->machine, built->machine);
  EXPECT_EQ(summary->needed, built->needed);
  EXPECT_FALSE(summary->has_symbol_table);
  for (const char* name : {"launch.sh", "config.json", "icon.png"})
    EXPECT_EQ(read_file(install / name), read_file(source_dir() / "packaging/zentomi" / name));
}

// Each regular file below the folder, by its path relative to it, with its permission bits.
std::map<std::string, mode_t> files_below(const fs::path& folder) {
  std::map<std::string, mode_t> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (!entry.is_directory())
      files[entry.path().lexically_relative(folder).string()] = mode_of(entry.path()) & 07777;
  return files;
}

TEST_F(Release, SdCardZipUnpacksToTheAppFolderInOneFolder) {
  TempDir apps;
  const ProcessResult unzip =
      run_process({"unzip", sdcard_zip_path().string(), "-d", apps.path().string()});
  ASSERT_EQ(unzip.exit_status, 0) << unzip.err;

  std::vector<fs::path> top;
  for (const auto& entry : fs::directory_iterator(apps.path()))
    top.push_back(entry.path().filename());
  EXPECT_THAT(top, ElementsAre("zentomi"));
  const fs::path app = out() / "zentomi";
  const auto files = files_below(app);
  EXPECT_EQ(files_below(apps / "zentomi"), files);
  for (const auto& [name, mode] : files)
    EXPECT_EQ(read_file(apps / "zentomi" / name), read_file(app / name)) << name;
}

TEST_F(Release, ManifestDescribesTheZip) {
  const std::string zip = read_file(zip_path());
  const auto manifest = nlohmann::ordered_json::parse(read_file(out() / "zentomi.json"));
  std::vector<std::string> keys;
  for (const auto& [key, value] : manifest.items())
    keys.push_back(key);
  EXPECT_THAT(keys,
              ElementsAre("version", "name", "changelog", "download_url", "size_mb", "sha256"));
  EXPECT_EQ(manifest["version"], APP_VERSION);
  EXPECT_EQ(manifest["name"], std::string("ZENTOMI ") + APP_VERSION);
  EXPECT_EQ(manifest["changelog"], CHANGELOG);
  EXPECT_EQ(manifest["download_url"], DOWNLOAD_URL);
  ASSERT_TRUE(manifest["size_mb"].is_number());
  const double megabytes = static_cast<double>(zip.size()) / (1024 * 1024);
  EXPECT_NEAR(manifest["size_mb"].get<double>(), megabytes, 0.0005);
  EXPECT_EQ(manifest["sha256"], sha256_hex(zip));
}

TEST_F(Release, TheSameProgramGivesTheSameZip) {
  TempDir again;
  const ProcessResult result = run_release(again / "dist", {"--download-url", DOWNLOAD_URL});
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(sha256_hex(read_file(again / "dist" / zip_path().filename())),
            sha256_hex(read_file(zip_path())));
  const auto manifest = nlohmann::json::parse(read_file(again / "dist/zentomi.json"));
  EXPECT_EQ(manifest["changelog"], std::string("Phiên bản ") + APP_VERSION);
}

TEST(ReleaseCommand, SignsTheManifestForABuildThatPinsThePublicKey) {
  TempDir directory;
  const fs::path key = directory / "release-key.pem";
  ASSERT_EQ(run_process({"openssl", "genpkey", "-algorithm", "ed25519", "-out", key.string()})
                .exit_status,
            0);
  // The public half as the build option takes it: the raw 32-byte key, base64.
  const ProcessResult public_key = run_process(
      {"sh", "-c", "openssl pkey -in \"$0\" -pubout -outform DER | tail -c 32 | base64 -w 0",
       key.string()});
  ASSERT_EQ(public_key.exit_status, 0) << public_key.err;

  const ProcessResult result = run_release(
      directory / "dist", {"--download-url", DOWNLOAD_URL, "--signing-key", key.string()});
  ASSERT_EQ(result.exit_status, 0) << result.err;
  const auto manifest = nlohmann::json::parse(read_file(directory / "dist/zentomi.json"));
  ASSERT_TRUE(manifest.contains("signature"));
  const std::string version = manifest["version"];
  const std::string sha256 = manifest["sha256"];
  const std::string signature = manifest["signature"];
  EXPECT_TRUE(is_valid_update_signature(public_key.out, signature, version, sha256));
  EXPECT_FALSE(is_valid_update_signature(public_key.out, signature, version, std::string(64, '0')));
}

TEST(ReleaseCommand, RefusesWhatTheUpdaterCouldNotDownload) {
  TempDir directory;
  const ProcessResult local = run_release(directory / "dist", {"--download-url", "/tmp/x.zip"});
  EXPECT_EQ(local.exit_status, 2);
  EXPECT_THAT(local.err, HasSubstr("must begin with http:// or https://: /tmp/x.zip"));
  const ProcessResult missing = run_release(directory / "dist", {"--changelog", "x"});
  EXPECT_EQ(missing.exit_status, 2);
  EXPECT_THAT(missing.err, HasSubstr("usage:"));
  EXPECT_FALSE(fs::exists(directory / "dist"));
}

TEST(ReleaseCommand, NamesTheSitesNewOriginOnlyInTheFormTheProgramTakes) {
  TempDir directory;
  const ProcessResult result =
      run_release(directory / "dist",
                  {"--download-url", DOWNLOAD_URL, "--site-origin", "https://nettruyen-moi.test/"});
  ASSERT_EQ(result.exit_status, 0) << result.err;
  const auto manifest = nlohmann::json::parse(read_file(directory / "dist/zentomi.json"));
  EXPECT_EQ(manifest["site_origin"], "https://nettruyen-moi.test");
  for (const char* wrong : {"http://a.test", "https://a.test/x", "https://u@a.test", "a.test"}) {
    const ProcessResult refused = run_release(
        directory / "refused", {"--download-url", DOWNLOAD_URL, "--site-origin", wrong});
    EXPECT_EQ(refused.exit_status, 2) << wrong;
    EXPECT_THAT(refused.err, HasSubstr("the site origin must be https://HOST[:PORT]")) << wrong;
  }
  EXPECT_FALSE(fs::exists(directory / "refused"));
}

TEST(AppFolder, ConfigNamesTheLaunchScriptAndAnIconThatExists) {
  const fs::path folder = source_dir() / "packaging/zentomi";
  const auto config = nlohmann::json::parse(read_file(folder / "config.json"));
  ASSERT_TRUE(config.is_object());
  std::vector<std::string> keys;
  for (const auto& [key, value] : config.items()) {
    keys.push_back(key);
    EXPECT_TRUE(value.is_string()) << key;
  }
  EXPECT_THAT(keys,
              ::testing::UnorderedElementsAre("label", "icon", "iconsel", "launch", "description"));
  EXPECT_EQ(config["launch"], "launch.sh");
  for (const char* key : {"icon", "iconsel"}) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    const std::string path = (folder / config[key].get<std::string>()).string();
    ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0) << path;
    EXPECT_EQ(image.width, image.height) << path;
    EXPECT_GE(image.width, 128u) << path;
    png_image_free(&image);
  }
}

}  // namespace
}  // namespace zentomi::testing

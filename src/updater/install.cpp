#include "updater/install.hpp"

#include <array>
#include <chrono>
#include <system_error>
#include <vector>

#include "platform/child_process.hpp"
#include "platform/curl_runner.hpp"
#include "platform/log.hpp"
#include "unicode/utf8.hpp"
#include "updater/package_listing.hpp"
#include "updater/package_verification.hpp"
#include "updater/staged_install.hpp"

namespace zentomi {
namespace {

// Appended to the install directory as they stand.
constexpr std::array<std::string_view, 3> EXECUTABLE_FILES = {"/bin/zentomi-native64",
                                                              "/bin/zentomi-native", "/launch.sh"};

// The child writes to the program's own streams: a pipe would die with the program, and the
// child with it on its next write.
bool succeeds(const std::vector<std::string>& argv) {
  const auto child = run_child(argv, ChildOptions{.output = child_output::Inherit{}});
  return child && child->exit_code == 0;
}

void remove_ignoring_errors(const std::filesystem::path& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

bool is_regular_file(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::symlink_status(path, ignored).type() ==
         std::filesystem::file_type::regular;
}

// Unpacks the accepted package into the staging folder, makes the programs executable there and
// moves everything into place; the staging folder is gone afterwards whatever happened.
std::expected<void, std::string> unpack_and_move(const std::string& package,
                                                 const std::string& directory) {
  const std::string staging = directory + "/" + std::string(STAGING_FOLDER);
  std::error_code error;
  // What an earlier attempt left must not be installed with this one.
  std::filesystem::remove_all(staging, error);
  if (!error) std::filesystem::create_directories(staging, error);
  if (error) {
    log_line("OTA", "Cannot prepare " + staging + ": " + error.message());
    return std::unexpected(std::string("Failed to extract update package"));
  }
  const auto fail = [&staging](std::string message) -> std::expected<void, std::string> {
    std::error_code ignored;
    std::filesystem::remove_all(staging, ignored);
    return std::unexpected(std::move(message));
  };
  // Without -o unzip would ask before replacing each file, find no answer and fail.
  if (!succeeds({"unzip", "-o", package, "-d", staging}))
    return fail("Failed to extract update package");
  // A package without one of them is still installed.
  for (const std::string_view file : EXECUTABLE_FILES) {
    const std::string path = staging + std::string(file);
    if (!is_regular_file(path)) continue;
    if (!succeeds({"chmod", "+x", path})) {
      log_line("OTA", "chmod +x failed: " + path);
      return fail("Failed to make the update executable");
    }
  }
  if (auto moved = move_into_place(staging, directory); !moved) {
    log_line("OTA", "Cannot install the unpacked update: " + moved.error());
    return fail("Failed to extract update package");
  }
  // Only emptied folders are left.
  std::filesystem::remove_all(staging, error);
  return {};
}

}  // namespace

std::string choose_install_directory(const InstallPaths& paths) {
  std::string preferred = paths.preferred_directory.string();
  std::error_code error;
  if (std::filesystem::exists(paths.preferred_directory, error)) return preferred;
  const std::filesystem::path program = std::filesystem::read_symlink(paths.executable_link, error);
  if (error) return preferred;
  // Going up must neither pass the root nor reach an empty path.
  const std::filesystem::path bin = program.parent_path();
  if (bin.empty() || bin == program) return preferred;
  const std::filesystem::path top = bin.parent_path();
  if (top.empty() || top == bin) return preferred;
  return unicode::sanitize_utf8(top.native());
}

std::expected<void, std::string> download_and_install(const OtaManifest& manifest,
                                                      const InstallPaths& paths,
                                                      std::string_view pinned_public_key_base64) {
  const std::string& url = manifest.download_url;
  log_line("OTA", "Starting download from: " + url);
  const std::string package = paths.package.string();
  // The URL is refused before anything on disk is touched.
  const auto download =
      CurlCommand::prepare({.url = url,
                            .switches = {CurlSwitch::Ipv4Only, CurlSwitch::NoCertificateCheck,
                                         CurlSwitch::Silent, CurlSwitch::FollowRedirects},
                            .connect_limit = std::chrono::seconds(10),
                            .total_limit = std::chrono::seconds(120),
                            .output = curl_output::File{package}});
  if (!download)
    return std::unexpected("Failed to download update package: " + download.error().text);
  const std::string directory = choose_install_directory(paths);
  remove_ignoring_errors(paths.package);

  const auto downloaded = download->run();
  if (!downloaded || downloaded->exit_code != 0) {
    return std::unexpected(std::string("Failed to download update package"));
  }
  if (std::optional<std::string> refused =
          verify_package(manifest, paths.package, pinned_public_key_base64)) {
    remove_ignoring_errors(paths.package);
    return std::unexpected(std::move(*refused));
  }

  log_line("OTA", "Download completed. Extracting to: " + directory);
  // Nothing is written before the package's own directory has been read and accepted.
  const std::optional<std::vector<PackageEntry>> entries = list_package(paths.package);
  std::optional<std::string> refused =
      entries ? refuse_package_entries(*entries, paths.max_unpacked_bytes, STAGING_FOLDER)
              : std::optional<std::string>("Failed to extract update package");
  std::expected<void, std::string> installed =
      refused ? std::unexpected(std::move(*refused)) : unpack_and_move(package, directory);
  remove_ignoring_errors(paths.package);
  if (!installed) return installed;
  log_line("OTA", "Update successfully applied! Restarting Zentomi...");
  return {};
}

}  // namespace zentomi

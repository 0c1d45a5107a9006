#include "updater/install.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/child_process.hpp"
#include "platform/curl_runner.hpp"
#include "platform/free_space.hpp"
#include "platform/log.hpp"
#include "platform/system_calls.hpp"
#include "unicode/utf8.hpp"
#include "updater/package_listing.hpp"
#include "updater/package_verification.hpp"
#include "updater/staged_install.hpp"

namespace zentomi {
namespace {

// Appended to the install directory as they stand.
constexpr std::array<std::string_view, 3> EXECUTABLE_FILES = {"/bin/zentomi-native64",
                                                              "/bin/zentomi-native", "/launch.sh"};

// Far above what a package of the largest size the installer accepts takes on a slow card.
constexpr std::chrono::minutes UNZIP_TIME_LIMIT{10};
constexpr std::chrono::seconds CHMOD_TIME_LIMIT{30};

// The child writes to the program's own streams: a pipe would die with the program, and the
// child with it on its next write.
// A hung tool is ended at its time limit and counts as failed.
bool succeeds(const std::vector<std::string>& argv, std::chrono::milliseconds time_limit,
              std::optional<std::uint64_t> file_size_limit = std::nullopt) {
  const auto child = run_child(argv, ChildOptions{.output = child_output::Inherit{},
                                                  .file_size_limit = file_size_limit,
                                                  .time_limit = time_limit});
  return child && child->exit_code == 0;
}

// The package file goes when the install ends, however it ends: a failed download must not keep
// filling the card.
class PackageFile {
 public:
  PackageFile(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {
    remove_if_present();
  }
  ~PackageFile() { remove_if_present(); }
  PackageFile(const PackageFile&) = delete;
  PackageFile& operator=(const PackageFile&) = delete;

 private:
  void remove_if_present() {
    const auto kind = files_.entry_kind(path_);
    if (kind && *kind != EntryKind::Missing) ignore_failure(files_.remove(path_));
  }
  FileSystem& files_;
  std::string path_;
};

// The bytes of the regular files below `folder`, counted as the disk holds them.
std::uint64_t staged_bytes(FileSystem& files, const std::string& folder) {
  std::uint64_t total = 0;
  const auto names = files.list_names(folder);
  if (!names) return total;
  for (const std::string& name : *names) {
    std::string path = folder;
    path.append("/").append(name);
    const auto kind = files.entry_kind(path);
    if (!kind) continue;
    if (*kind == EntryKind::Folder) {
      total += staged_bytes(files, path);
    } else if (*kind == EntryKind::File) {
      if (const auto status = files.status(path)) total += status->size;
    }
  }
  return total;
}

// What unzip may write: no file past the largest entry the package declares (or a mebibyte, as
// the limit holds for every file the child writes), nothing past the bound in all.
struct UnpackBounds {
  std::uint64_t largest_file = 0;
  std::uint64_t total = 0;
};

UnpackBounds unpack_bounds(const std::vector<PackageEntry>& entries, const InstallPaths& paths) {
  UnpackBounds bounds{std::uint64_t{1} << 20, paths.max_unpacked_bytes};
  for (const PackageEntry& entry : entries)
    bounds.largest_file = std::max(bounds.largest_file, entry.size);
  return bounds;
}

// Unpacks the accepted package into the staging folder, makes the programs executable there and
// moves everything into place; the staging folder is gone afterwards, unless a move failed half
// way (the next start then finishes the install).
std::expected<void, std::string> unpack_and_move(FileSystem& files, const std::string& package,
                                                 const std::string& directory,
                                                 const UnpackBounds& bounds) {
  const std::string staging = directory + "/" + std::string(STAGING_FOLDER);
  // What an earlier attempt left must not be installed with this one: its marker goes first.
  std::expected<void, std::string> prepared = discard_staging(files, directory);
  if (prepared) prepared = files.create_directories(staging);
  if (!prepared) {
    log_line("OTA", "Cannot prepare " + staging + ": " + prepared.error());
    return std::unexpected(std::string("Failed to extract update package"));
  }
  const auto fail = [&files, &directory](std::string message) -> std::expected<void, std::string> {
    [[maybe_unused]] const auto discarded = discard_staging(files, directory);
    return std::unexpected(std::move(message));
  };
  // Without -o unzip would ask before replacing each file, find no answer and fail.
  // The declared sizes are not trusted: no file may grow past the largest declared, and the
  // whole is measured again once it is on the card.
  const bool unzipped =
      succeeds({"unzip", "-o", package, "-d", staging}, UNZIP_TIME_LIMIT, bounds.largest_file);
  if (staged_bytes(files, staging) > bounds.total) {
    log_line("OTA", "The unpacked update is larger than its package declares");
    return fail("Update package refused: too large when unpacked");
  }
  if (!unzipped) return fail("Failed to extract update package");
  // A package without one of them is still installed.
  for (const std::string_view file : EXECUTABLE_FILES) {
    const std::string path = staging + std::string(file);
    const auto kind = files.entry_kind(path);
    if (!kind || *kind != EntryKind::File) continue;
    if (!succeeds({"chmod", "+x", path}, CHMOD_TIME_LIMIT)) {
      log_line("OTA", "chmod +x failed: " + path);
      return fail("Failed to make the update executable");
    }
  }
  // From here on the install finishes, now or at the next start, or changes nothing.
  if (auto marked = mark_staging_complete(files, directory); !marked) {
    log_line("OTA", "Cannot mark the unpacked update complete: " + marked.error());
    return fail("Failed to extract update package");
  }
  if (auto installed = install_staged(files, directory); !installed) {
    log_line("OTA", "Cannot install the unpacked update: " + installed.error());
    return std::unexpected(std::string("Failed to extract update package"));
  }
  return {};
}

}  // namespace

std::uint64_t package_download_bound(float size_mb, std::uint64_t ceiling) {
  if (!std::isfinite(size_mb) || size_mb <= 0.0f) return ceiling;
  // A quarter more and a mebibyte: the manifest's size is rounded, and the margin costs nothing.
  const double bytes = static_cast<double>(size_mb) * 1.25 * 1048576.0 + 1048576.0;
  if (bytes >= static_cast<double>(ceiling)) return ceiling;
  return static_cast<std::uint64_t>(bytes);
}

std::string choose_install_directory(const InstallPaths& paths) {
  std::string preferred = paths.preferred_directory.string();
  if (paths.files->status(preferred)) return preferred;
  const auto link = read_link(paths.executable_link.string());
  if (!link) return preferred;
  const std::filesystem::path program = *link;
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
  const std::uint64_t bound = package_download_bound(manifest.size_mb, paths.max_package_bytes);
  // The URL is refused before anything on disk is touched.
  const auto download =
      CurlCommand::prepare({.url = url,
                            .switches = {CurlSwitch::Ipv4Only, CurlSwitch::NoCertificateCheck,
                                         CurlSwitch::Silent, CurlSwitch::FollowRedirects},
                            .connect_limit = std::chrono::seconds(10),
                            .total_limit = std::chrono::seconds(120),
                            .max_file_bytes = bound,
                            .output = curl_output::File{package}});
  if (!download)
    return std::unexpected("Failed to download update package: " + download.error().text);
  const std::string directory = choose_install_directory(paths);
  FileSystem& files = *paths.files;
  const PackageFile package_file(files, package);
  // A download that could fill the card would make every later save fail.
  const std::optional<std::uint64_t> free = free_bytes_at(paths.package.parent_path().string());
  if (free && *free < bound) {
    log_line("OTA", "Free: " + std::to_string(*free) + " bytes, needed: " + std::to_string(bound));
    return std::unexpected(std::string(NO_SPACE_FOR_PACKAGE_MESSAGE));
  }

  const auto downloaded = download->run();
  if (!downloaded || downloaded->exit_code != 0) {
    return std::unexpected(std::string("Failed to download update package"));
  }
  if (std::optional<std::string> refused =
          verify_package(files, manifest, package, pinned_public_key_base64)) {
    return std::unexpected(std::move(*refused));
  }

  log_line("OTA", "Download completed. Extracting to: " + directory);
  // Nothing is written before the package's own directory has been read and accepted.
  const std::optional<std::vector<PackageEntry>> entries = list_package(paths.package);
  std::optional<std::string> refused =
      entries ? refuse_package_entries(*entries, paths.max_unpacked_bytes, STAGING_FOLDER)
              : std::optional<std::string>("Failed to extract update package");
  std::expected<void, std::string> installed =
      refused ? std::unexpected(std::move(*refused))
              : unpack_and_move(files, package, directory, unpack_bounds(*entries, paths));
  if (!installed) return installed;
  log_line("OTA", "Update successfully applied! Restarting Zentomi...");
  return {};
}

}  // namespace zentomi

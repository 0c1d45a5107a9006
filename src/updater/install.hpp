#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "model/build_config.hpp"
#include "model/ota.hpp"
#include "storage/file_system.hpp"

namespace zentomi {

// The process's exit status after an installed update: the launcher starts the new version.
inline constexpr int UPDATE_EXIT_STATUS = 42;

// Where an update goes; tests replace them with temporary paths.
struct InstallPaths {
  std::filesystem::path package = "/tmp/zentomi-update.zip";
  std::filesystem::path preferred_directory = "/mnt/SDCARD/Apps/zentomi";
  // The link naming the running program.
  std::filesystem::path executable_link = "/proc/self/exe";
  // A package that would unpack to more is refused before anything is written: the real one is a
  // few MB, and a zip bomb must not fill the card.
  std::uint64_t max_unpacked_bytes = std::uint64_t{64} << 20;
  // No package download may pass this, whatever the manifest says.
  std::uint64_t max_package_bytes = std::uint64_t{64} << 20;
  // Every step on the package file and the staging folder goes through it.
  std::shared_ptr<FileSystem> files = std::make_shared<PosixFileSystem>();
};

inline constexpr std::string_view NO_SPACE_FOR_PACKAGE_MESSAGE =
    "Not enough free space for the update package";

// The most a package download may write: the manifest's size in MiB with a margin, never past
// `ceiling` (also when the size is missing, not finite or not positive).
std::uint64_t package_download_bound(float size_mb, std::uint64_t ceiling);

// The preferred directory when anything exists there; else the directory two levels above the
// running program (A for A/bin/program), as text with invalid UTF-8 replaced; else the preferred
// directory anyway.
std::string choose_install_directory(const InstallPaths& paths);

// Downloads the manifest's package with curl (within package_download_bound, when that much space
// is free beside the package file; the file is deleted whatever happens), checks it (see
// verify_package) and its entries (see refuse_package_entries), unpacks it with unzip into the
// staging folder inside the install directory, makes the program files executable there and moves
// everything into place (install_staged: an install ended during its moves is finished at the
// next start). Nothing of the app is replaced before all of that has succeeded. unzip and
// chmod write to the program's own standard output and error. On success the caller ends the
// process with UPDATE_EXIT_STATUS; otherwise it gets the message to show. Logs its progress on
// standard error; blocks for up to about two minutes plus the unpacking.
std::expected<void, std::string> download_and_install(
    const OtaManifest& manifest, const InstallPaths& paths = {},
    std::string_view pinned_public_key_base64 = UPDATE_PUBLIC_KEY);

}  // namespace zentomi

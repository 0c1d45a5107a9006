#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentomi {

// One entry of a zip package as the unzip package's own listing ("unzip -Z -s") shows it.
struct PackageEntry {
  char type = '?';  // the first character of the permissions: '-' file, 'd' folder, 'l' link...
  std::uint64_t size = 0;  // unpacked, as the zip declares it
  std::string name;        // control characters shown as ^X
  bool operator==(const PackageEntry&) const = default;
};

// The entries of such a listing; nothing when the text is not one.
std::optional<std::vector<PackageEntry>> parse_package_listing(std::string_view listing);

// Lists the package with "unzip -Z -s"; nothing when unzip cannot read it (or is missing).
std::optional<std::vector<PackageEntry>> list_package(const std::filesystem::path& package);

// Why the entries must not be unpacked, or nothing: a link or any other kind of entry than a file
// or a folder, an absolute name, a name holding "..", a name in the folder `reserved`, more
// than `max_unpacked_bytes` in all, or two names (or their folders) that differ only in letter
// case, which are one name on the card. The offending entry's name is logged.
std::optional<std::string> refuse_package_entries(const std::vector<PackageEntry>& entries,
                                                  std::uint64_t max_unpacked_bytes,
                                                  std::string_view reserved);

}  // namespace zentomi

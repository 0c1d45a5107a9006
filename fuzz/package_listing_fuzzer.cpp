// The package listing parser reads what unzip prints about a downloaded archive: any text gives
// either nothing or entries, one line each after the two header lines, each with a name; and the
// checks that refuse a package run over whatever it gives.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "updater/package_listing.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view listing(reinterpret_cast<const char*>(data), size);
  const auto entries = zentomi::parse_package_listing(listing);
  if (!entries) return 0;
  const auto lines = static_cast<std::size_t>(std::count(listing.begin(), listing.end(), '\n'));
  if (entries->size() + 2 > lines + 1) __builtin_trap();
  for (const zentomi::PackageEntry& entry : *entries) {
    if (entry.name.empty() || entry.name.find('\n') != std::string_view::npos) __builtin_trap();
  }
  (void)zentomi::refuse_package_entries(*entries, 1 << 20, ".update-staging");
  return 0;
}

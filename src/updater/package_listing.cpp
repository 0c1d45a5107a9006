#include "updater/package_listing.hpp"

#include <charconv>
#include <cstddef>
#include <unordered_map>

#include "platform/child_process.hpp"
#include "platform/log.hpp"

namespace zentomi {
namespace {

// The next line of `text` from `position`, which moves past it; nothing at the end.
std::optional<std::string_view> next_line(std::string_view text, std::size_t& position) {
  if (position >= text.size()) return std::nullopt;
  const std::size_t end = text.find('\n', position);
  const std::size_t stop = end == std::string_view::npos ? text.size() : end;
  const std::string_view line = text.substr(position, stop - position);
  position = stop + 1;
  return line;
}

std::optional<std::uint64_t> parse_count(std::string_view digits) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc{} || end != digits.data() + digits.size() || digits.empty())
    return std::nullopt;
  return value;
}

// The whitespace-separated fields before the name, and the name after the one blank that
// follows the last of them: "-rw-r--r--  3.0 unx  1024 tx defN 26-Dec-09 09:33 bin/a b".
constexpr std::size_t FIELDS_BEFORE_NAME = 8;

std::optional<PackageEntry> parse_entry(std::string_view line) {
  std::string_view fields[FIELDS_BEFORE_NAME];
  std::size_t position = 0;
  for (std::string_view& field : fields) {
    position = line.find_first_not_of(' ', position);
    if (position == std::string_view::npos) return std::nullopt;
    const std::size_t end = std::min(line.find(' ', position), line.size());
    field = line.substr(position, end - position);
    position = end;
  }
  if (position + 1 >= line.size()) return std::nullopt;
  const std::optional<std::uint64_t> size = parse_count(fields[3]);
  if (!size) return std::nullopt;
  return PackageEntry{fields[0].front(), *size, std::string(line.substr(position + 1))};
}

bool reaches_outside(std::string_view name, std::string_view reserved) {
  // unzip takes a backslash for a separator in names written on DOS or Windows.
  if (name.empty() || name.front() == '/' || name.front() == '\\') return true;
  if (name.find("..") != std::string_view::npos) return true;
  const std::size_t first_end = std::min(name.find_first_of("/\\"), name.size());
  return name.substr(0, first_end) == reserved;
}

// The name as a FAT card compares it: letters in either case are the same (ASCII only, which is
// what the package's own names use; a name in other scripts is compared as it stands).
std::string folded(std::string_view name) {
  std::string fold(name);
  for (char& c : fold) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return fold;
}

// The first name that a FAT card would take for another entry's (or one of its folders), or
// nothing: one of them would silently replace the other there.
std::optional<std::string_view> name_differing_in_case(const std::vector<PackageEntry>& entries) {
  std::unordered_map<std::string, std::string_view> seen;  // folded path -> path as written
  for (const PackageEntry& entry : entries) {
    std::string_view name = entry.name;
    while (name.ends_with('/'))
      name.remove_suffix(1);
    // The entry itself and every folder above it.
    for (std::size_t end = name.size(); end != 0 && end != std::string_view::npos;
         end = name.rfind('/', end - 1)) {
      const std::string_view path = name.substr(0, end);
      const auto [known, added] = seen.try_emplace(folded(path), path);
      if (!added && known->second != path) return entry.name;
    }
  }
  return std::nullopt;
}

std::string refused(std::string_view reason, std::string_view name) {
  log_line("OTA", "Refused package entry: " + std::string(name));
  return "Update package refused: " + std::string(reason);
}

}  // namespace

std::optional<std::vector<PackageEntry>> parse_package_listing(std::string_view listing) {
  std::size_t position = 0;
  const auto archive = next_line(listing, position);
  const auto header = next_line(listing, position);
  if (!archive || !header || !archive->starts_with("Archive:")) return std::nullopt;
  constexpr std::string_view COUNT_LABEL = "number of entries: ";
  const std::size_t label = header->rfind(COUNT_LABEL);
  if (label == std::string_view::npos) return std::nullopt;
  const std::optional<std::uint64_t> count =
      parse_count(header->substr(label + COUNT_LABEL.size()));
  if (!count) return std::nullopt;
  std::vector<PackageEntry> entries;
  for (std::uint64_t i = 0; i < *count; ++i) {
    const auto line = next_line(listing, position);
    if (!line) return std::nullopt;
    std::optional<PackageEntry> entry = parse_entry(*line);
    if (!entry) return std::nullopt;
    entries.push_back(std::move(*entry));
  }
  return entries;
}

std::optional<std::vector<PackageEntry>> list_package(const std::filesystem::path& package) {
  const std::vector<std::string> argv = {"unzip", "-Z", "-s", package.string()};
  // A listing is a read of the archive's directory; a tool hung on a bad card is let go.
  const auto listed = run_child(
      argv, ChildOptions{.output = child_output::Capture{}, .time_limit = std::chrono::minutes(2)});
  if (!listed || listed->exit_code != 0) return std::nullopt;
  return parse_package_listing(listed->out);
}

std::optional<std::string> refuse_package_entries(const std::vector<PackageEntry>& entries,
                                                  std::uint64_t max_unpacked_bytes,
                                                  std::string_view reserved) {
  std::uint64_t total = 0;
  for (const PackageEntry& entry : entries) {
    // A link could point anywhere, and chmod or the next update would follow it.
    if (entry.type != '-' && entry.type != 'd' && entry.type != '?')
      return refused("it holds a link", entry.name);
    if (reaches_outside(entry.name, reserved))
      return refused("a name reaches outside the app folder", entry.name);
    if (entry.size > max_unpacked_bytes - total)
      return refused("too large when unpacked", entry.name);
    total += entry.size;
  }
  if (const auto clash = name_differing_in_case(entries))
    return refused("two names differ only in case", *clash);
  return std::nullopt;
}

}  // namespace zentomi

#include "library/local_scan.hpp"

#include <algorithm>

#include "library/local_address.hpp"
#include "library/local_files.hpp"
#include "library/local_image_signature.hpp"
#include "library/local_natural_order.hpp"

namespace zentomi {
namespace {

bool ends_with_ignoring_case(const std::string& name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  return std::equal(
      suffix.begin(), suffix.end(), name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
      [](char expected, char actual) {
        return expected == (actual >= 'A' && actual <= 'Z' ? actual - 'A' + 'a' : actual);
      });
}

std::string without_extension(const std::string& name) {
  return name.substr(0, name.size() - 4);
}

void sort_naturally(std::vector<CardEntry>& entries) {
  std::sort(entries.begin(), entries.end(),
            [](const CardEntry& a, const CardEntry& b) { return natural_less(a.name, b.name); });
}

// Whether any of the folder's files begins like an image, looking at a bounded number of them.
bool holds_images(const std::string& folder, const std::vector<CardEntry>& entries,
                  const LocalScanLimits& limits) {
  std::size_t reads = 0;
  for (const CardEntry& entry : entries) {
    if (entry.kind != CardEntryKind::File) continue;
    if (reads++ == limits.signature_reads) return false;
    if (is_image_signature(read_card_file_head(folder + '/' + entry.name, IMAGE_SIGNATURE_BYTES)))
      return true;
  }
  return false;
}

// The chapters of the title folder `Manga/<name>`, at most `room` of them. Loose images make the
// folder itself a chapter, before its chapter folders and archives.
std::vector<LocalChapter> title_folder_chapters(const std::string& root, const std::string& name,
                                                const LocalScanLimits& limits, std::size_t room,
                                                bool& truncated) {
  const std::string folder = root + '/' + name;
  auto entries = list_card_folder(folder, limits.folder_entries);
  std::vector<LocalChapter> chapters;
  if (!entries) return chapters;
  if (entries->size() == limits.folder_entries) truncated = true;
  sort_naturally(*entries);
  if (holds_images(folder, *entries, limits)) chapters.push_back({name, local_address(name)});
  for (const CardEntry& entry : *entries) {
    if (chapters.size() >= room) {
      truncated = true;
      break;
    }
    const std::string relative = name + '/' + entry.name;
    if (entry.kind == CardEntryKind::File) {
      if (is_archive_name(entry.name))
        chapters.push_back({without_extension(entry.name), local_address(relative)});
      continue;
    }
    std::string chapter_folder = root;
    chapter_folder.append("/").append(relative);
    auto pages = list_card_folder(chapter_folder, limits.folder_entries);
    if (!pages) continue;
    sort_naturally(*pages);
    if (holds_images(chapter_folder, *pages, limits))
      chapters.push_back({entry.name, local_address(relative)});
  }
  chapters.resize(std::min(chapters.size(), room));
  return chapters;
}

std::optional<LocalTitle> title_of(const std::string& root, const CardEntry& entry,
                                   const LocalScanLimits& limits, std::size_t room,
                                   bool& truncated) {
  if (entry.kind == CardEntryKind::File) {
    if (!is_archive_name(entry.name) || room == 0) return std::nullopt;
    const std::string name = without_extension(entry.name);
    const std::string address = local_address(entry.name);
    return LocalTitle{name, address, {{name, address}}};
  }
  auto chapters = title_folder_chapters(root, entry.name, limits, room, truncated);
  if (chapters.empty()) return std::nullopt;
  return LocalTitle{entry.name, local_address(entry.name), std::move(chapters)};
}

}  // namespace

bool is_archive_name(const std::string& name) {
  return name.size() > 4 &&
         (ends_with_ignoring_case(name, ".cbz") || ends_with_ignoring_case(name, ".zip"));
}

LocalLibrary scan_local_library(const std::string& manga_root, const LocalScanLimits& limits) {
  LocalLibrary library;
  auto entries = list_card_folder(manga_root, limits.folder_entries);
  if (!entries) return library;
  if (entries->size() == limits.folder_entries) library.truncated = true;
  sort_naturally(*entries);
  std::size_t chapters = 0;
  for (const CardEntry& entry : *entries) {
    if (library.titles.size() == limits.titles || chapters == limits.chapters) {
      // Only something that could be a title is left out.
      library.truncated = entry.kind == CardEntryKind::Folder || is_archive_name(entry.name);
      if (library.truncated) break;
      continue;
    }
    auto title = title_of(manga_root, entry, limits, limits.chapters - chapters, library.truncated);
    if (!title) continue;
    chapters += title->chapters.size();
    library.titles.push_back(std::move(*title));
  }
  return library;
}

std::optional<LocalTitle> scan_local_title(const std::string& manga_root,
                                           const std::string& address,
                                           const LocalScanLimits& limits) {
  const std::optional<std::string> relative = local_relative_path(address);
  if (!relative || relative->find('/') != std::string::npos) return std::nullopt;
  const std::optional<CardPath> path = resolve_card_path(manga_root, *relative);
  if (!path) return std::nullopt;
  bool truncated = false;
  return title_of(manga_root, {*relative, path->kind}, limits, limits.chapters, truncated);
}

std::uint64_t local_library_fingerprint(const std::string& manga_root,
                                        const LocalScanLimits& limits) {
  const auto entries = list_card_folder(manga_root, limits.folder_entries);
  if (!entries) return 0;
  // The listing order does not matter: each entry's part is added, not chained.
  std::uint64_t fingerprint = card_entry_stamp(manga_root);
  for (const CardEntry& entry : *entries) {
    std::uint64_t part = std::hash<std::string>{}(entry.name);
    part = part * 1'000'003u + card_entry_stamp(manga_root + '/' + entry.name);
    fingerprint += part * 0x9E3779B97F4A7C15u;
  }
  return fingerprint;
}

}  // namespace zentomi

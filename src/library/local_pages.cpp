#include "library/local_pages.hpp"

#include <algorithm>
#include <optional>

#include "library/local_address.hpp"
#include "library/local_archive.hpp"
#include "library/local_files.hpp"
#include "library/local_image_signature.hpp"
#include "library/local_natural_order.hpp"
#include "library/local_scan.hpp"

namespace zentomi {
namespace {

std::expected<CardPath, std::string> resolve(const std::string& root, const std::string& address) {
  const std::optional<std::string> relative = local_relative_path(address);
  if (!relative) return std::unexpected("Not an address of the Manga folder: " + address);
  std::optional<CardPath> path = resolve_card_path(root, *relative);
  if (!path) return std::unexpected("Not found in the Manga folder: " + *relative);
  return std::move(*path);
}

std::expected<std::vector<std::string>, std::string> folder_images(const std::string& folder) {
  const auto entries = list_card_folder(folder, MAX_LOCAL_PAGES + 1);
  if (!entries) return std::unexpected("Cannot read the folder " + folder);
  std::vector<std::string> names;
  for (const CardEntry& entry : *entries) {
    if (entry.kind != CardEntryKind::File) continue;
    if (is_image_signature(read_card_file_head(folder + '/' + entry.name, IMAGE_SIGNATURE_BYTES)))
      names.push_back(entry.name);
  }
  if (names.size() > MAX_LOCAL_PAGES) {
    return std::unexpected("The folder " + folder + " holds more than " +
                           std::to_string(MAX_LOCAL_PAGES) + " pages");
  }
  return names;
}

}  // namespace

std::expected<std::vector<std::string>, std::string> load_local_chapter_pages(
    const std::string& manga_root, const std::string& chapter_address) {
  const auto path = resolve(manga_root, chapter_address);
  if (!path) return std::unexpected(path.error());
  std::expected<std::vector<std::string>, std::string> names;
  if (path->kind == CardEntryKind::Folder) {
    names = folder_images(path->file);
  } else if (path->inside.empty() && is_archive_name(path->file)) {
    names = list_archive_images(path->file);
  } else {
    return std::unexpected("Not a chapter of the Manga folder: " + chapter_address);
  }
  if (!names) return std::unexpected(std::move(names.error()));
  if (names->empty()) return std::unexpected("No pages in " + path->file);
  std::sort(names->begin(), names->end(), natural_less);
  std::vector<std::string> pages;
  pages.reserve(names->size());
  for (const std::string& name : *names) {
    std::string page = chapter_address;
    page.append("/").append(name);
    pages.push_back(std::move(page));
  }
  return pages;
}

std::expected<std::vector<std::uint8_t>, std::string> read_local_page(
    const std::string& manga_root, const std::string& page_address) {
  const auto path = resolve(manga_root, page_address);
  if (!path) return std::unexpected(path.error());
  if (path->kind != CardEntryKind::File) return std::unexpected("Not a page: " + path->file);
  if (!path->inside.empty())
    return read_archive_entry(path->file, path->inside, LOCAL_PAGE_BYTES_LIMIT);
  return read_card_file(path->file, LOCAL_PAGE_BYTES_LIMIT);
}

std::expected<std::vector<std::uint8_t>, std::string> read_local_cover(
    const std::string& manga_root, const std::string& address) {
  const auto path = resolve(manga_root, address);
  if (!path) return std::unexpected(path.error());
  const bool chapter =
      path->kind == CardEntryKind::Folder || (path->inside.empty() && is_archive_name(path->file));
  if (!chapter) return read_local_page(manga_root, address);
  const auto pages = load_local_chapter_pages(manga_root, address);
  if (!pages) return std::unexpected(pages.error());
  return read_local_page(manga_root, pages->front());
}

}  // namespace zentomi

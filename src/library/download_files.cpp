#include "library/download_files.hpp"

#include <sys/stat.h>

#include <array>

#include "library/download_keys.hpp"
#include "platform/files.hpp"
#include "platform/os_error.hpp"
#include "platform/system_calls.hpp"
#include "storage/store_file.hpp"

namespace zentomi {
namespace {

// More entries than any title has chapters or any chapter pages; a folder stuffed with more is
// read only this far.
constexpr std::size_t MAX_ENTRIES = 100'000;

bool ends_with(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

std::string downloads_dir(const std::string& data_dir) {
  return data_dir + "/" + std::string(DOWNLOADS_FOLDER);
}

std::string title_dir(const std::string& data_dir, std::string_view title_url) {
  return downloads_dir(data_dir) + "/" + title_folder_key(title_url);
}

std::string chapter_dir(const std::string& data_dir, std::string_view title_url,
                        std::string_view chapter_url) {
  return title_dir(data_dir, title_url) + "/" + chapter_folder_key(title_url, chapter_url);
}

std::string page_file_name(std::size_t index, std::string_view extension) {
  std::string number = std::to_string(index + 1);
  if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
  return number + "." + std::string(extension);
}

std::optional<std::size_t> page_index_of(std::string_view file_name) {
  const std::size_t dot = file_name.find('.');
  if (dot == std::string_view::npos || dot < 3 || dot > 9) return std::nullopt;
  const std::string_view extension = file_name.substr(dot + 1);
  if (extension != "jpg" && extension != "png" && extension != "webp") return std::nullopt;
  std::size_t number = 0;
  for (const char c : file_name.substr(0, dot)) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<std::size_t>(c - '0');
  }
  if (number == 0 || page_file_name(number - 1, extension) != file_name) return std::nullopt;
  return number - 1;
}

std::expected<void, std::string> write_whole_file(FileSystem& files, const std::string& folder,
                                                  const std::string& name,
                                                  std::span<const std::uint8_t> bytes) {
  const std::string path = folder + "/" + name;
  const std::string temporary = path + std::string(TEMPORARY_SUFFIX);
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  auto written = write_file_durably(files, temporary, text);
  if (written) written = files.rename(temporary, path);
  if (!written) ignore_failure(files.remove(temporary));
  return written;
}

void remove_chapter_folder(FileSystem& files, const std::string& folder) {
  std::string doomed = folder;
  if (!ends_with(folder, PARTIAL_SUFFIX) && !ends_with(folder, DELETED_SUFFIX) &&
      is_folder(folder)) {
    doomed = folder + std::string(DELETED_SUFFIX);
    ignore_failure(files.remove_tree(doomed));
    if (!files.rename(folder, doomed)) return;
  }
  ignore_failure(files.remove_tree(doomed));
}

std::expected<std::vector<std::uint8_t>, std::string> read_page_file(const std::string& path) {
  const auto status = status_of(path);
  if (status && S_ISREG(status->st_mode) &&
      static_cast<std::uint64_t>(status->st_size) > MAX_PAGE_FILE_BYTES) {
    return std::unexpected("Page file too large: " + path);
  }
  auto bytes = read_whole_file(path);
  if (!bytes) return std::unexpected("Page file unreadable: " + os_error_text(bytes.error()));
  if (bytes->size() > MAX_PAGE_FILE_BYTES) return std::unexpected("Page file too large: " + path);
  return std::vector<std::uint8_t>(bytes->begin(), bytes->end());
}

std::vector<std::string> folder_entries(const std::string& folder) {
  std::vector<std::string> names;
  // A folder that fails half-way ends the listing with what it gave.
  [[maybe_unused]] const auto listed = visit_folder(folder, 0, [&names](int, const dirent& entry) {
    if (names.size() >= MAX_ENTRIES) return false;
    names.emplace_back(entry.d_name);
    return true;
  });
  return names;
}

bool is_folder(const std::string& path) {
  const auto status = link_status_of(path);
  return status && S_ISDIR(status->st_mode);
}

}  // namespace zentomi

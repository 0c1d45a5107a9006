#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "library/download_records.hpp"
#include "storage/file_system.hpp"

namespace zentomi {

// Where downloads live below the data folder:
//   downloads/<title key>/title.json               the title record
//   downloads/<title key>/<chapter key>/           a whole chapter: chapter.json, 001.jpg, ...
//   downloads/<title key>/<chapter key>.part/      a chapter being downloaded, never read
//   downloads/<title key>/<chapter key>.gone/      a chapter being deleted, never read
// Every file is written under a ".tmp" name and renamed when it is on the card, so a name without
// ".tmp" is a whole file, and a folder without a suffix holds every page of its record.
inline constexpr std::string_view DOWNLOADS_FOLDER = "downloads";
inline constexpr std::string_view TITLE_RECORD_FILE = "title.json";
inline constexpr std::string_view CHAPTER_RECORD_FILE = "chapter.json";
inline constexpr std::string_view PARTIAL_SUFFIX = ".part";
inline constexpr std::string_view DELETED_SUFFIX = ".gone";
inline constexpr std::string_view TEMPORARY_SUFFIX = ".tmp";
// The queue file, beside history.json.
inline constexpr std::string_view QUEUE_FILE = "downloads.json";

std::string downloads_dir(const std::string& data_dir);
std::string title_dir(const std::string& data_dir, std::string_view title_url);
std::string chapter_dir(const std::string& data_dir, std::string_view title_url,
                        std::string_view chapter_url);

// "001.jpg" for the first page: three digits at least, more past page 999.
std::string page_file_name(std::size_t index, std::string_view extension);
// The page index of a whole page file's name, or nothing for any other name.
std::optional<std::size_t> page_index_of(std::string_view file_name);

// Writes bytes to folder/name through a temporary name, flushed, then renamed into place.
std::expected<void, std::string> write_whole_file(FileSystem& files, const std::string& folder,
                                                  const std::string& name,
                                                  std::span<const std::uint8_t> bytes);

// Removes a folder and everything in it; first renames it to its ".gone" name (when it has no
// suffix) so a crash half-way never leaves a folder that looks whole.
void remove_chapter_folder(FileSystem& files, const std::string& folder);

// A downloaded page is read under the bound a fetched page image has.
inline constexpr std::uint64_t MAX_PAGE_FILE_BYTES = std::uint64_t{32} << 20;
// The bytes of a page file: a regular file within the bound, or an error saying why not.
std::expected<std::vector<std::uint8_t>, std::string> read_page_file(const std::string& path);

// The names of the entries of a folder (none when it cannot be read), not "." or "..".
std::vector<std::string> folder_entries(const std::string& folder);
bool is_folder(const std::string& path);

}  // namespace zentomi

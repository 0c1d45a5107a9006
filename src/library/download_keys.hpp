#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zentomi {

// Downloads are filed by the site path of their title and chapter, never by display names, so a
// move of the site to another origin finds them again. A key is one file name that FAT accepts:
// lowercase letters, digits, '-' and '_' only, at most MAX_KEY_BYTES. A path that had to be
// changed to fit (case, other characters, length) gets "~" and a short hash of the whole path,
// so two paths that differ only in case or in a replaced character never share a key.
inline constexpr std::size_t MAX_KEY_BYTES = 100;

// The part of an address's path after "/truyen-tranh/" (without query or fragment); the whole
// path without its leading '/' when it has no such part.
std::string_view site_path_rest(std::string_view url);

// A key for any text, by the rules above. Never empty.
std::string safe_key(std::string_view text);

// The folder name of a title's downloads.
std::string title_folder_key(std::string_view title_url);
// The folder name of a chapter below its title's folder: the chapter's path with its title's
// part taken off when it begins with it.
std::string chapter_folder_key(std::string_view title_url, std::string_view chapter_url);

}  // namespace zentomi

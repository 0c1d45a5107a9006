#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <vector>

namespace zentomi {

// The bound of one page's bytes, the same as for a page downloaded from the site.
inline constexpr std::size_t LOCAL_PAGE_BYTES_LIMIT = std::size_t{32} << 20;
// A chapter folder is read like an archive: never more pages than an archive may list entries.
inline constexpr std::size_t MAX_LOCAL_PAGES = 10'000;

// The page addresses of a local chapter (a folder of images or an archive), in natural order of
// their names: the chapter's address, "/" and the file or entry name. Errors are messages for the
// screen.
std::expected<std::vector<std::string>, std::string> load_local_chapter_pages(
    const std::string& manga_root, const std::string& chapter_address);

// The bytes of one page: a file of a chapter folder or an entry of an archive, within the page
// bound.
std::expected<std::vector<std::uint8_t>, std::string> read_local_page(
    const std::string& manga_root, const std::string& page_address);

// A title's cover: its address is a chapter's (the first page is read) or a page's.
std::expected<std::vector<std::uint8_t>, std::string> read_local_cover(
    const std::string& manga_root, const std::string& address);

}  // namespace zentomi

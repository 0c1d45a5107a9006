// The chapter page scraper must accept any bytes: either usable page addresses or the one
// "nothing found" error, never a read outside the page.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "nettruyen/chapter_pages.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  const auto pages = zentomi::parse_chapter_pages(page);
  if (!pages) {
    if (pages.error() != "Không tìm thấy trang truyện trong chapter này") __builtin_trap();
    return 0;
  }
  std::size_t pieces = 0;
  for (std::size_t at = page.find("class='page-chapter'"); at != std::string_view::npos;
       at = page.find("class='page-chapter'", at + 1)) {
    ++pieces;
  }
  if (pages->empty() || pages->size() > pieces) __builtin_trap();
  for (const std::string& url : *pages) {
    if (!url.starts_with("http") || url.find("notice-nettruyen") != std::string::npos ||
        url.find('\'') != std::string::npos || page.find(url) == std::string_view::npos) {
      __builtin_trap();
    }
  }
  return 0;
}

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
  // Every page comes from its own block naming the page class, in either quoting.
  std::size_t blocks = 0;
  for (std::size_t at = page.find("page-chapter"); at != std::string_view::npos;
       at = page.find("page-chapter", at + 1)) {
    ++blocks;
  }
  if (pages->empty() || pages->size() > blocks) __builtin_trap();
  for (const std::string& url : *pages) {
    if (!url.starts_with("http") || url.find("notice-nettruyen") != std::string::npos)
      __builtin_trap();
    // Trimmed as every scraped text is: no control character reaches the page job.
    for (const char c : url) {
      const auto byte = static_cast<unsigned char>(c);
      if ((byte < 0x20 && (byte < 0x09 || byte > 0x0D)) || byte == 0x7f) __builtin_trap();
    }
  }
  return 0;
}

// The title-page scrapers must accept any bytes: fields with their defaults or drawn from the page,
// page chapters with names, never a read outside the page.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "nettruyen/chapter_list.hpp"
#include "nettruyen/detail_page.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  const zentomi::MangaDetail detail = zentomi::parse_manga_detail(page);
  if (detail.source != "NetTruyen" || detail.status != "Đang tiến hành") __builtin_trap();
  if (!detail.chapters.empty()) __builtin_trap();
  if (!detail.cover_url.empty() && !detail.cover_url.starts_with("http")) __builtin_trap();
  if (detail.cover_url.find("thumb-default") != std::string_view::npos) __builtin_trap();

  std::size_t markers = 0;
  for (std::size_t at = page.find("<div class=\"col-xs-5 chapter\">"); at != std::string_view::npos;
       at = page.find("<div class=\"col-xs-5 chapter\">", at + 1))
    ++markers;
  const auto chapters = zentomi::parse_page_chapters(page);
  if (chapters.size() > markers) __builtin_trap();
  for (const zentomi::ChapterRef& chapter : chapters) {
    if (chapter.name.empty()) __builtin_trap();
  }
  return 0;
}

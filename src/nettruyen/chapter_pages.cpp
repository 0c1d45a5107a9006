#include "nettruyen/chapter_pages.hpp"

#include <array>
#include <optional>

#include "nettruyen/html_text.hpp"

namespace zentomi {
namespace {

constexpr std::string_view PAGE_MARKER = "class='page-chapter'";
// The lazy-loading attributes carry the real address; plain src may be a placeholder. Only the
// first of them present in a piece is read, even when its value is unusable.
constexpr std::array<std::string_view, 3> IMAGE_MARKERS = {"data-src='", "data-sv1='", "src='"};
constexpr std::string_view NOTICE_BANNER = "notice-nettruyen";

std::optional<std::string> page_image(std::string_view piece) {
  for (const std::string_view marker : IMAGE_MARKERS) {
    if (!contains(piece, marker)) continue;
    const std::optional<std::string_view> raw = text_between(piece, marker, "'");
    if (!raw) return std::nullopt;
    std::string value = trim(*raw);
    if (value.size() < 4 || !value.starts_with("http") || contains(value, NOTICE_BANNER))
      return std::nullopt;
    return value;
  }
  return std::nullopt;
}

}  // namespace

std::expected<std::vector<std::string>, std::string> parse_chapter_pages(std::string_view html) {
  const std::vector<std::string_view> pieces = split_at(html, PAGE_MARKER);
  std::vector<std::string> pages;
  // The first piece is whatever precedes the first page.
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    if (std::optional<std::string> page = page_image(pieces[i])) pages.push_back(std::move(*page));
  }
  if (pages.empty())
    return std::unexpected(std::string("Không tìm thấy trang truyện trong chapter này"));
  return pages;
}

std::expected<std::vector<std::string>, std::string> load_chapter_pages(
    std::string_view chapter_url, const FetchText& fetch) {
  const std::expected<std::string, std::string> page = fetch(chapter_url);
  if (!page) return std::unexpected(page.error());
  return parse_chapter_pages(*page);
}

}  // namespace zentomi

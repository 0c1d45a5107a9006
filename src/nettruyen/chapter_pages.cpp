#include "nettruyen/chapter_pages.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "nettruyen/html_text.hpp"
#include "unicode/white_space.hpp"

namespace zentomi {
namespace {

constexpr std::string_view PAGE_CLASS = "page-chapter";
// The lazy-loading attributes carry the real address; plain src may be a placeholder. Only the
// first of them present in a piece is read, even when its value is unusable.
constexpr std::array<std::string_view, 3> IMAGE_ATTRIBUTES = {"data-src=", "data-sv1=", "src="};
constexpr std::string_view NOTICE_BANNER = "notice-nettruyen";

// One page block: the text after its class attribute, and the quote its markup is written with.
struct PagePiece {
  std::string_view text;
  char quote;
};

bool is_blank(char c) {
  return unicode::is_white_space(static_cast<unsigned char>(c));
}

bool has_page_class(std::string_view classes) {
  std::size_t at = 0;
  while (const auto found = find_from(classes, PAGE_CLASS, at)) {
    const std::size_t end = *found + PAGE_CLASS.size();
    const bool starts_word = *found == 0 || is_blank(classes[*found - 1]);
    const bool ends_word = end == classes.size() || is_blank(classes[end]);
    if (starts_word && ends_word) return true;
    at = *found + 1;
  }
  return false;
}

// Every class attribute that names page-chapter starts a piece; it runs to the next one. Pages of
// the current theme quote with ' and may add classes; older ones quote everything with ".
std::vector<PagePiece> page_pieces(std::string_view html) {
  constexpr std::string_view ATTRIBUTE = "class=";
  struct Start {
    std::size_t attribute;
    std::size_t text;
    char quote;
  };
  std::vector<Start> starts;
  for (auto found = find_from(html, ATTRIBUTE); found;
       found = find_from(html, ATTRIBUTE, *found + 1)) {
    const std::size_t value_start = *found + ATTRIBUTE.size() + 1;
    if (value_start > html.size()) break;
    const char quote = html[value_start - 1];
    if (quote != '\'' && quote != '"') continue;
    const auto value_end = find_from(html, quote, value_start);
    if (!value_end) break;
    if (has_page_class(html.substr(value_start, *value_end - value_start)))
      starts.push_back({*found, *value_end + 1, quote});
  }
  std::vector<PagePiece> pieces;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t end = i + 1 < starts.size() ? starts[i + 1].attribute : html.size();
    // Nested attributes (a class value holding "class=") never give a negative piece.
    const std::size_t start = std::min(starts[i].text, end);
    pieces.push_back({html.substr(start, end - start), starts[i].quote});
  }
  return pieces;
}

std::optional<std::string> page_image(const PagePiece& piece) {
  for (const std::string_view attribute : IMAGE_ATTRIBUTES) {
    const std::string marker = std::string(attribute) + piece.quote;
    if (!contains(piece.text, marker)) continue;
    const std::optional<std::string_view> raw =
        text_between(piece.text, marker, std::string_view(&piece.quote, 1));
    if (!raw) return std::nullopt;
    std::string value = trim(*raw);
    // The older pages give protocol-relative addresses.
    if (piece.quote == '"' && value.starts_with("//")) value.insert(0, "https:");
    if (value.size() < 4 || !value.starts_with("http") || contains(value, NOTICE_BANNER))
      return std::nullopt;
    return value;
  }
  return std::nullopt;
}

}  // namespace

std::expected<std::vector<std::string>, std::string> parse_chapter_pages(std::string_view html) {
  std::vector<std::string> pages;
  for (const PagePiece& piece : page_pieces(html)) {
    if (std::optional<std::string> page = page_image(piece)) pages.push_back(std::move(*page));
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

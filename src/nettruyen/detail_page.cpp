#include "nettruyen/detail_page.hpp"

#include <array>
#include <optional>

#include "nettruyen/html_text.hpp"

namespace zentomi {
namespace {

constexpr std::string_view DEFAULT_TITLE = "Truyện tranh";
constexpr std::string_view NO_SUMMARY = "Chưa có tóm tắt nội dung.";
constexpr std::string_view SOURCE = "NetTruyen";
constexpr std::string_view STATUS = "Đang tiến hành";
constexpr std::string_view GENRE_MARKER = "<li class=\"kind row\">";
constexpr std::size_t COVER_REGION_LIMIT = 800;

std::string detail_title(std::string_view html) {
  const auto heading = text_between(html, "<h1 class=\"title-detail\">", "</h1>");
  if (!heading) return std::string(DEFAULT_TITLE);
  return decode_entities(trim(*heading));
}

std::string detail_summary(std::string_view html) {
  const auto description = find_from(html, "<div class=\"detail-content\">");
  if (!description) return std::string(NO_SUMMARY);
  const auto paragraph = text_between(html, "<p>", "</p>", *description);
  if (!paragraph) return std::string(NO_SUMMARY);
  // Only these two spellings break lines; "<br />" is removed with the other tags.
  return strip_tags(replace_all(replace_all(*paragraph, "<br>", "\n"), "<br/>", "\n"));
}

std::string detail_genres(std::string_view html) {
  const auto item = find_from(html, GENRE_MARKER);
  if (!item) return "Manga";
  const auto item_end = find_from(html, "</li>", *item + GENRE_MARKER.size());
  if (!item_end) return "Manga, Action";
  const std::string text = strip_tags(html.substr(*item, *item_end - *item));
  return trim(replace_all(text, "Thể loại", ""));
}

// The cover block: up to its first "</div>", or a bounded stretch when it never closes.
std::string_view cover_region(std::string_view html, std::size_t start) {
  if (const auto block_end = find_from(html, "</div>", start))
    return html.substr(start, *block_end - start);
  std::size_t end = start + std::min(COVER_REGION_LIMIT, html.size() - start);
  // Never cut a character in two: step back over continuation bytes.
  while (end > start && end < html.size() && (static_cast<unsigned char>(html[end]) & 0xC0) == 0x80)
    --end;
  return html.substr(start, end - start);
}

std::string detail_cover(std::string_view html) {
  const auto block = find_from(html, "col-image");
  if (!block) return {};
  const std::string_view region = cover_region(html, *block);
  // Lazy-loaded covers keep the real address first; src may hold only the site's placeholder.
  static constexpr std::array<std::string_view, 4> ATTRIBUTES = {
      "data-original=\"", "data-retries=\"", "data-src=\"", "src=\""};
  for (const std::string_view attribute : ATTRIBUTES) {
    const auto value = text_between(region, attribute, "\"");
    if (!value) continue;
    std::string candidate = trim(*value);
    const bool absolute = candidate.starts_with("http") || candidate.starts_with("//");
    if (!absolute || contains(candidate, "thumb-default")) continue;
    if (candidate.starts_with("//")) return "https:" + candidate;
    return candidate;
  }
  return {};
}

}  // namespace

MangaDetail parse_manga_detail(std::string_view html) {
  MangaDetail detail;
  detail.title = detail_title(html);
  detail.cover_url = detail_cover(html);
  detail.source = SOURCE;
  detail.status = STATUS;
  detail.genres = detail_genres(html);
  detail.summary = detail_summary(html);
  return detail;
}

std::expected<MangaDetail, std::string> load_manga_detail(std::string_view title_url,
                                                          const FetchText& fetch) {
  const auto page = fetch(title_url);
  if (!page) return std::unexpected(page.error());
  MangaDetail detail = parse_manga_detail(*page);
  detail.chapters = load_chapter_list(title_url, *page, fetch);
  return detail;
}

}  // namespace zentomi

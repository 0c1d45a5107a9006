#include "nettruyen/detail_page.hpp"

#include <algorithm>
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
constexpr std::string_view DESCRIPTION_MARKER = "<div class=\"detail-content\">";
constexpr std::string_view CHAPTER_LIST_MARKER = "<div class=\"list-chapter\"";
// The site's description paragraph carries this class; other paragraphs with attributes do not
// count, as before.
constexpr std::string_view SHORTENED_PARAGRAPH = "<p class=\"shortened\"";

std::string detail_title(std::string_view html) {
  const auto heading = text_between(html, "<h1 class=\"title-detail\">", "</h1>");
  if (!heading) return std::string(DEFAULT_TITLE);
  return decode_entities(trim(*heading));
}

// The description block: up to the "</div>" that closes it or the chapter list, whichever comes
// first, so that paragraphs of the comments further down are never taken for the summary.
std::string_view description_block(std::string_view html) {
  const auto marker = find_from(html, DESCRIPTION_MARKER);
  if (!marker) return {};
  const std::size_t start = *marker + DESCRIPTION_MARKER.size();
  std::size_t end = div_end(html, start).value_or(html.size());
  end = std::min(end, find_from(html, CHAPTER_LIST_MARKER, start).value_or(html.size()));
  return html.substr(start, end - start);
}

// The first paragraph's content: a bare "<p>" or the site's own description paragraph.
std::optional<std::string_view> first_paragraph(std::string_view block) {
  const auto bare = find_from(block, "<p>");
  std::optional<std::size_t> content = bare ? std::optional(*bare + 3) : std::nullopt;
  if (const auto styled = find_from(block, SHORTENED_PARAGRAPH);
      styled && (!bare || *styled < *bare))
    if (const auto tag_end = find_from(block, '>', *styled)) content = *tag_end + 1;
  if (!content) return std::nullopt;
  const auto end = find_from(block, "</p>", *content);
  if (!end) return std::nullopt;
  return block.substr(*content, *end - *content);
}

std::string detail_summary(std::string_view html) {
  const auto paragraph = first_paragraph(description_block(html));
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

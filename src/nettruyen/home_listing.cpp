#include "nettruyen/home_listing.hpp"

#include <algorithm>
#include <optional>
#include <utility>

#include "nettruyen/fetch.hpp"
#include "nettruyen/html_text.hpp"
#include "nettruyen/site.hpp"
#include "unicode/white_space.hpp"

namespace zentomi {
namespace {

constexpr std::string_view ITEM_MARKER = "<div class=\"item\">";
constexpr std::string_view NO_CHAPTER = "Chap mới";
constexpr std::string_view CAROUSEL_MARKER = "<div class=\"owl-carousel";

// The heading link's text: from the end of "<h3>" to the first "</a>", past the link's own
// opening tag. Nothing when there is none, and the block is dropped.
std::optional<std::string> item_title(std::string_view block) {
  const auto heading = find_from(block, "<h3>");
  if (!heading) return std::nullopt;
  const auto heading_end = find_from(block, '>', *heading);
  const auto link_end = find_from(block, "</a>", *heading);
  if (!heading_end || !link_end || *link_end <= *heading_end) return std::nullopt;
  const std::string_view raw = block.substr(*heading_end + 1, *link_end - *heading_end - 1);

  std::string_view text;
  if (const auto tag_end = find_from(raw, '>')) {
    std::size_t start = *tag_end + 1;
    while (start < raw.size() && raw[start] == '>')
      ++start;
    text = raw.substr(start);
  }
  std::string title = decode_entities(trim(replace_all(text, "\n", " ")));
  if (title.empty()) return std::nullopt;
  return title;
}

std::optional<std::string> item_url(std::string_view block) {
  const auto value = text_between(block, "href=\"", "\"");
  if (!value) return std::nullopt;
  if (value->starts_with('/')) return site_url(*value);
  return std::string(*value);
}

// The trimmed value of the first `marker` attribute, when it has one that is not blank.
std::optional<std::string> attribute_value(std::string_view block, std::string_view marker) {
  const auto value = text_between(block, marker, "\"");
  if (!value) return std::nullopt;
  std::string trimmed = trim(*value);
  if (trimmed.empty()) return std::nullopt;
  return trimmed;
}

// Lazy-loaded covers keep the real address in data-original, data-retries or data-src; src may
// hold only the site's placeholder or its logo.
std::string item_thumbnail(std::string_view block) {
  std::optional<std::string> chosen = attribute_value(block, "data-original=\"");
  if (!chosen) chosen = attribute_value(block, "data-retries=\"");
  if (!chosen) {
    chosen = attribute_value(block, "data-src=\"");
    if (chosen && contains(*chosen, "thumb-default")) chosen.reset();
  }
  if (!chosen) {
    chosen = attribute_value(block, "src=\"");
    if (chosen && contains(*chosen, "thumb-default")) chosen.reset();
  }
  if (!chosen) return {};
  if (chosen->starts_with("//")) return "https:" + *chosen;
  if (chosen->starts_with('/')) return site_url(*chosen);
  return std::move(*chosen);
}

std::string item_latest_chapter(std::string_view block) {
  const auto entry = find_from(block, "<li class=\"chapter");
  if (!entry) return std::string(NO_CHAPTER);
  const auto link = find_from(block, "<a", *entry);
  if (!link) return std::string(NO_CHAPTER);
  const auto tag_end = find_from(block, '>', *link);
  const auto link_end = find_from(block, "</a>", *link);
  if (!tag_end || !link_end || *link_end <= *tag_end) return std::string(NO_CHAPTER);
  return trim(block.substr(*tag_end + 1, *link_end - *tag_end - 1));
}

// The text after the eye icon; real pages put a line break between the icon's tag and its end.
std::string item_views(std::string_view block) {
  constexpr std::string_view ICON = "fa-eye\">";
  for (auto icon = find_from(block, ICON); icon; icon = find_from(block, ICON, *icon + 1)) {
    std::size_t at = *icon + ICON.size();
    while (at < block.size() && unicode::is_white_space(static_cast<unsigned char>(block[at])))
      ++at;
    if (!block.substr(at).starts_with("</i>")) continue;
    const auto views = text_between(block, "</i>", "<", at);
    return views ? trim(*views) : std::string();
  }
  return {};
}

// The featured slider before the list holds item blocks too; they are not titles of the list.
std::vector<std::pair<std::size_t, std::size_t>> carousel_spans(std::string_view html) {
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  for (auto open = find_from(html, CAROUSEL_MARKER); open;
       open = find_from(html, CAROUSEL_MARKER, spans.back().second)) {
    const std::size_t end = div_end(html, *open + CAROUSEL_MARKER.size()).value_or(html.size());
    spans.emplace_back(*open, end);
  }
  return spans;
}

// A slide of that slider has a caption of its own where list items have a <figcaption>.
bool is_slide(std::string_view block) {
  const std::size_t end = div_end(block, 0).value_or(block.size());
  return contains(block.substr(0, end), "<div class=\"slide-caption\"");
}

std::optional<MangaItem> scrape_item(std::string_view block) {
  std::optional<std::string> title = item_title(block);
  if (!title) return std::nullopt;
  std::optional<std::string> url = item_url(block);
  if (!url) return std::nullopt;
  return MangaItem{std::move(*title), std::move(*url), item_thumbnail(block),
                   item_latest_chapter(block), item_views(block)};
}

}  // namespace

std::vector<MangaItem> scrape_listing_items(std::string_view html) {
  const std::vector<std::pair<std::size_t, std::size_t>> carousels = carousel_spans(html);
  const auto in_carousel = [&](std::size_t at) {
    return std::ranges::any_of(
        carousels, [at](const auto& span) { return at >= span.first && at < span.second; });
  };
  std::vector<MangaItem> items;
  // Whatever precedes the first item is no block.
  std::size_t at = find_from(html, ITEM_MARKER).value_or(html.size());
  while (at < html.size()) {
    const std::size_t start = at + ITEM_MARKER.size();
    const std::size_t next = find_from(html, ITEM_MARKER, start).value_or(html.size());
    const std::string_view block = html.substr(start, next - start);
    if (!in_carousel(at) && !is_slide(block)) {
      if (auto item = scrape_item(block)) items.push_back(std::move(*item));
    }
    at = next;
  }
  return items;
}

std::expected<std::vector<MangaItem>, std::string> parse_home_listing(std::string_view html) {
  std::vector<MangaItem> items = scrape_listing_items(html);
  if (items.empty())
    return std::unexpected(std::string("Không tìm thấy danh sách truyện từ NetTruyen"));
  return items;
}

std::expected<std::vector<MangaItem>, std::string> load_home_listing() {
  const auto page = fetch_text(site_url("/trang-chu"));
  if (!page) return std::unexpected(page.error());
  return parse_home_listing(*page);
}

}  // namespace zentomi

#include "nettruyen/home_listing.hpp"

#include <optional>

#include "nettruyen/fetch.hpp"
#include "nettruyen/html_text.hpp"
#include "nettruyen/site.hpp"

namespace zentomi {
namespace {

constexpr std::string_view ITEM_MARKER = "<div class=\"item\">";
constexpr std::string_view NO_CHAPTER = "Chap mới";

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

// Lazy-loaded covers keep the real address in data-original or data-retries; src (or data-src)
// may hold only the site's placeholder.
std::string item_thumbnail(std::string_view block) {
  std::optional<std::string> chosen = attribute_value(block, "data-original=\"");
  if (!chosen) chosen = attribute_value(block, "data-retries=\"");
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

std::string item_views(std::string_view block) {
  const auto views = text_between(block, "fa-eye\"></i>", "<");
  return views ? trim(*views) : std::string();
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
  std::vector<std::string_view> blocks = split_at(html, ITEM_MARKER);
  std::vector<MangaItem> items;
  // The first piece is whatever precedes the first item.
  for (std::size_t i = 1; i < blocks.size(); ++i) {
    if (auto item = scrape_item(blocks[i])) items.push_back(std::move(*item));
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

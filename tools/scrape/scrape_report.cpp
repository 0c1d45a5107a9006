#include "scrape_report.hpp"

#include <nlohmann/json.hpp>

#include "nettruyen/chapter_pages.hpp"
#include "nettruyen/detail_page.hpp"
#include "nettruyen/home_listing.hpp"

namespace zentomi {
namespace {

using Json = nlohmann::ordered_json;

std::string rendered(const Json& document) {
  // A saved page may hold any bytes; they never stop the report.
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::expected<std::string, std::string> listing_report(std::string_view page) {
  const auto items = parse_home_listing(page);
  if (!items) return std::unexpected(items.error());
  Json list = Json::array();
  for (const MangaItem& item : *items) {
    list.push_back({{"title", item.title},
                    {"url", item.url},
                    {"thumb_url", item.thumb_url},
                    {"latest_chapter", item.latest_chapter},
                    {"views", item.views}});
  }
  return rendered({{"items", std::move(list)}});
}

std::expected<std::string, std::string> detail_report(std::string_view page, std::string_view url) {
  const auto offline = [&](std::string_view asked) -> std::expected<std::string, std::string> {
    if (asked == url) return std::string(page);
    return std::unexpected(std::string("not asked: the page is read offline"));
  };
  const auto detail = load_manga_detail(url, offline);
  if (!detail) return std::unexpected(detail.error());
  const MangaDetail empty = parse_manga_detail("");
  if (detail->chapters.empty() && detail->title == empty.title &&
      detail->cover_url == empty.cover_url && detail->summary == empty.summary)
    return std::unexpected(std::string("no title, cover, summary or chapter found in the page"));
  Json chapters = Json::array();
  for (const ChapterRef& chapter : detail->chapters)
    chapters.push_back({{"name", chapter.name}, {"url", chapter.url}});
  return rendered({{"title", detail->title},
                   {"cover_url", detail->cover_url},
                   {"genres", detail->genres},
                   {"summary", detail->summary},
                   {"chapters", std::move(chapters)}});
}

std::expected<std::string, std::string> pages_report(std::string_view page) {
  const auto pages = parse_chapter_pages(page);
  if (!pages) return std::unexpected(pages.error());
  return rendered({{"pages", *pages}});
}

}  // namespace

std::expected<std::string, std::string> scrape_report(std::string_view kind, std::string_view page,
                                                      std::string_view url) {
  if (kind == "listing") return listing_report(page);
  if (kind == "detail") return detail_report(page, url);
  if (kind == "pages") return pages_report(page);
  return std::unexpected("unknown kind " + std::string(kind) + " (listing, detail or pages)");
}

}  // namespace zentomi

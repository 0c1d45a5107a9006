#include "nettruyen/search_results.hpp"

#include "nettruyen/fetch.hpp"
#include "nettruyen/home_listing.hpp"
#include "nettruyen/site.hpp"

namespace zentomi {
namespace {

bool unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// Nothing typed can end the parameter, start another one, or reach curl as a glob.
std::string percent_encoded(std::string_view text) {
  constexpr std::string_view HEX = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (unreserved(byte)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += HEX[byte >> 4];
      encoded += HEX[byte & 0x0F];
    }
  }
  return encoded;
}

}  // namespace

std::string search_url(std::string_view query) {
  return site_url("/tim-truyen?keyword=") + percent_encoded(query);
}

std::expected<std::vector<MangaItem>, std::string> load_search_results(std::string_view query) {
  const auto page = fetch_text(search_url(query));
  if (!page) return std::unexpected(page.error());
  std::vector<MangaItem> items = scrape_listing_items(*page);
  if (items.size() > SEARCH_RESULT_LIMIT) {
    items.erase(items.begin() + SEARCH_RESULT_LIMIT, items.end());
    items.shrink_to_fit();
  }
  return items;
}

}  // namespace zentomi

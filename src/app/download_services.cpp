#include "app/download_services.hpp"

#include <string>
#include <utility>

#include "nettruyen/chapter_pages.hpp"
#include "nettruyen/fetch.hpp"
#include "platform/free_space.hpp"

namespace zentomi {
namespace {

// A fetch that never reached the site, as opposed to a page that came back unusable: only
// curl's own failures say the network may be gone.
bool is_transfer_failure(const std::string& message) {
  return message.starts_with("Network error: exit code") || message.starts_with("Curl error");
}

}  // namespace

DownloadServices site_download_services() {
  DownloadServices services;
  services.load_pages =
      [](std::string_view chapter_url) -> std::expected<std::vector<std::string>, PagesFailure> {
    bool transfer_failed = false;
    auto pages = load_chapter_pages(chapter_url, [&transfer_failed](std::string_view url) {
      auto text = fetch_text(url);
      if (!text && is_transfer_failure(text.error())) transfer_failed = true;
      return text;
    });
    if (!pages) return std::unexpected(PagesFailure{std::move(pages.error()), transfer_failed});
    return std::move(*pages);
  };
  services.fetch_bytes = fetch_bytes;
  services.free_bytes = free_bytes_at;
  return services;
}

}  // namespace zentomi

#include "nettruyen/fetch.hpp"

#include <string>
#include <vector>

#include "nettruyen/site.hpp"
#include "platform/child_process.hpp"
#include "platform/os_error.hpp"
#include "unicode/utf8.hpp"

namespace zentomi {
namespace {

struct Limits {
  const char* connect_seconds;
  const char* total_seconds;
};
constexpr Limits TEXT_LIMITS{"6", "12"};
constexpr Limits IMAGE_LIMITS{"8", "20"};

// Every URL handed to curl passes through here.
std::vector<std::string> scraper_arguments(std::string_view url, Limits limits) {
  return {"curl",
          "-s",
          "-L",
          "-4",
          "-k",
          "--connect-timeout",
          limits.connect_seconds,
          "--max-time",
          limits.total_seconds,
          "-A",
          std::string(BROWSER_USER_AGENT),
          "-H",
          "Referer: " + site_url("/"),
          without_globbing(url)};
}

std::string refused_url_text(std::string_view url) {
  return "not an http(s) URL: " + std::string(url);
}

// Where the body stops being UTF-8, in the two wordings the fetch messages use.
std::string utf8_error_description(const unicode::Utf8Error& error) {
  if (error.error_length) {
    return "invalid utf-8 sequence of " + std::to_string(*error.error_length) +
           " bytes from index " + std::to_string(error.valid_up_to);
  }
  return "incomplete utf-8 byte sequence from index " + std::to_string(error.valid_up_to);
}

}  // namespace

std::expected<std::string, std::string> fetch_text(std::string_view url) {
  constexpr std::string_view PREFIX = "Curl error: ";
  if (!is_web_url(url)) return std::unexpected(std::string(PREFIX) + refused_url_text(url));
  auto child = run_child(scraper_arguments(url, TEXT_LIMITS));
  if (!child) return std::unexpected(std::string(PREFIX) + os_error_text(child.error()));
  if (const std::optional<int> exit_code = child->exit_code; exit_code != 0) {
    const std::string code =
        exit_code.has_value() ? "Some(" + std::to_string(exit_code.value()) + ")" : "None";
    return std::unexpected("Network error: exit code " + code);
  }
  if (const auto error = unicode::validate_utf8(child->out)) {
    return std::unexpected("UTF-8 decode error: " + utf8_error_description(*error));
  }
  return std::move(child->out);
}

std::expected<std::vector<std::uint8_t>, std::string> fetch_bytes(std::string_view url) {
  constexpr std::string_view PREFIX = "Download error: ";
  if (!is_web_url(url)) return std::unexpected(std::string(PREFIX) + refused_url_text(url));
  auto child = run_child(scraper_arguments(url, IMAGE_LIMITS));
  if (!child) return std::unexpected(std::string(PREFIX) + os_error_text(child.error()));
  if (child->exit_code != 0 || child->out.empty()) {
    return std::unexpected(std::string("Failed to download image data"));
  }
  return std::vector<std::uint8_t>(child->out.begin(), child->out.end());
}

}  // namespace zentomi

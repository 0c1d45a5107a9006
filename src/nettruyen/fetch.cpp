#include "nettruyen/fetch.hpp"

#include <chrono>
#include <string>
#include <vector>

#include "nettruyen/site.hpp"
#include "platform/curl_runner.hpp"
#include "unicode/utf8.hpp"

namespace zentomi {
namespace {

struct Limits {
  std::chrono::seconds connect;
  std::chrono::seconds total;
  std::size_t bytes;  // kept at most; a longer body fails the fetch
};
// A page of the site is a few hundred kilobytes and a page image a few megabytes; the bounds
// leave them room many times over and keep a hostile answer from filling the memory.
constexpr std::size_t MIB = std::size_t{1} << 20;
constexpr Limits TEXT_LIMITS{std::chrono::seconds(6), std::chrono::seconds(12), 16 * MIB};
constexpr Limits IMAGE_LIMITS{std::chrono::seconds(8), std::chrono::seconds(20), 32 * MIB};

// Every page and image of the site is fetched with these options.
CurlRequest scraper_request(std::string_view url, Limits limits, bool as_bytes = false) {
  return {.url = std::string(url),
          .switches = {CurlSwitch::Silent, CurlSwitch::FollowRedirects, CurlSwitch::Ipv4Only,
                       CurlSwitch::NoCertificateCheck},
          .connect_limit = limits.connect,
          .total_limit = limits.total,
          .user_agent = std::string(BROWSER_USER_AGENT),
          .headers = {"Referer: " + site_url("/")},
          .output = curl_output::Memory{limits.bytes, as_bytes}};
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
  auto child = run_curl(scraper_request(url, TEXT_LIMITS));
  if (!child) return std::unexpected(std::string(PREFIX) + child.error().text);
  if (child->over_limit)
    return std::unexpected("Network error: page larger than " +
                           std::to_string(TEXT_LIMITS.bytes / MIB) + " MiB");
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
  // Read as bytes, so the body is handed on as it was read.
  auto child = run_curl(scraper_request(url, IMAGE_LIMITS, true));
  if (!child) return std::unexpected(std::string(PREFIX) + child.error().text);
  if (child->over_limit || child->exit_code != 0 || child->bytes.empty()) {
    return std::unexpected(std::string("Failed to download image data"));
  }
  return std::move(child->bytes);
}

}  // namespace zentomi

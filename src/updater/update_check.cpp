#include "updater/update_check.hpp"

#include <chrono>
#include <cstdint>
#include <expected>
#include <string>

#include "platform/curl_runner.hpp"
#include "platform/log.hpp"
#include "unicode/utf8.hpp"
#include "updater/manifest.hpp"
#include "updater/version.hpp"

namespace zentomi {
namespace {

// A manifest is a few hundred bytes; anything past this is not one.
constexpr std::size_t MANIFEST_LIMIT = std::size_t{1} << 20;

// Why a manifest request gave no body to read.
enum class NoBody : std::uint8_t { Unreachable, TooLarge };

// The body of one manifest request, when curl started, succeeded and wrote something within the
// bound. Bytes that are not UTF-8 become U+FFFD rather than failing the check.
std::expected<std::string, NoBody> fetch_manifest_body(const std::string& url,
                                                       std::chrono::seconds connect_limit,
                                                       std::chrono::seconds total_limit) {
  const auto child = run_curl({.url = url,
                               .switches = {CurlSwitch::Ipv4Only, CurlSwitch::NoCertificateCheck,
                                            CurlSwitch::Silent, CurlSwitch::FollowRedirects},
                               .connect_limit = connect_limit,
                               .total_limit = total_limit,
                               .output = curl_output::Memory{MANIFEST_LIMIT}});
  if (child && child->over_limit) return std::unexpected(NoBody::TooLarge);
  if (!child || child->exit_code != 0 || child->out.empty()) {
    return std::unexpected(NoBody::Unreachable);
  }
  return unicode::sanitize_utf8(child->out);
}

}  // namespace

UpdateCheckOutcome check_for_updates(const UpdateEndpoints& endpoints,
                                     const ManifestObserver& observer) {
  log_line("OTA", "Checking for updates from: " + endpoints.primary);
  std::expected<std::string, NoBody> body =
      fetch_manifest_body(endpoints.primary, std::chrono::seconds(5), std::chrono::seconds(10));
  bool too_large = false;
  if (!body) {
    too_large = body.error() == NoBody::TooLarge;
    log_line("OTA", too_large ? "Manifest from the primary endpoint too large, checking fallback..."
                              : "Primary endpoint unreachable, checking fallback...");
    body =
        fetch_manifest_body(endpoints.fallback, std::chrono::seconds(3), std::chrono::seconds(6));
  }
  // A server that answered with too much was reached: saying otherwise sends the user to the
  // Wi-Fi settings for nothing.
  if (!body && (too_large || body.error() == NoBody::TooLarge))
    return std::unexpected(std::string(MANIFEST_TOO_LARGE_MESSAGE));
  if (!body)
    return std::unexpected(
        std::string("Update server unreachable. Please check your Wi-Fi connection."));
  std::optional<OtaManifest> manifest = parse_manifest(*body);
  if (!manifest)
    return std::unexpected(std::string("Invalid update manifest received from server"));
  if (observer) observer(*manifest);
  if (is_newer_version(manifest->version, APP_VERSION)) {
    log_line("OTA", "Found new version: " + manifest->version + " (current: " + APP_VERSION + ")");
    return manifest;
  }
  log_line("OTA", std::string("App is already up to date: ") + APP_VERSION);
  return std::nullopt;
}

}  // namespace zentomi

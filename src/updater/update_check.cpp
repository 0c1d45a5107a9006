#include "updater/update_check.hpp"

#include <vector>

#include "platform/child_process.hpp"
#include "platform/web_url.hpp"
#include "unicode/utf8.hpp"
#include "updater/manifest.hpp"
#include "updater/ota_log.hpp"
#include "updater/version.hpp"

namespace zentomi {
namespace {

// The body of one manifest request, when curl started, succeeded and wrote something. Bytes
// that are not UTF-8 become U+FFFD rather than failing the check.
std::optional<std::string> fetch_manifest_body(const std::string& url, const char* connect_seconds,
                                               const char* total_seconds) {
  if (!is_web_url(url)) return std::nullopt;
  const std::vector<std::string> argv = {"curl",
                                         "-4",
                                         "-k",
                                         "-s",
                                         "-L",
                                         "--connect-timeout",
                                         connect_seconds,
                                         "--max-time",
                                         total_seconds,
                                         without_globbing(url)};
  const auto child = run_child(argv);
  if (!child || child->exit_code != 0 || child->out.empty()) return std::nullopt;
  return unicode::sanitize_utf8(child->out);
}

}  // namespace

UpdateCheckOutcome check_for_updates(const UpdateEndpoints& endpoints) {
  log_ota({"[OTA] Checking for updates from: ", endpoints.primary});
  std::optional<std::string> body = fetch_manifest_body(endpoints.primary, "5", "10");
  if (!body) {
    log_ota({"[OTA] Primary endpoint unreachable, checking fallback..."});
    body = fetch_manifest_body(endpoints.fallback, "3", "6");
  }
  if (!body)
    return std::unexpected(
        std::string("Update server unreachable. Please check your Wi-Fi connection."));
  std::optional<OtaManifest> manifest = parse_manifest(*body);
  if (!manifest)
    return std::unexpected(std::string("Invalid update manifest received from server"));
  if (is_newer_version(manifest->version, APP_VERSION)) {
    log_ota({"[OTA] Found new version: ", manifest->version, " (current: ", APP_VERSION, ")"});
    return manifest;
  }
  log_ota({"[OTA] App is already up to date: ", APP_VERSION});
  return std::nullopt;
}

}  // namespace zentomi

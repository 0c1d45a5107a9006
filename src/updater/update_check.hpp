#pragma once

#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/build_config.hpp"
#include "model/ota.hpp"

namespace zentomi {

// Where the manifest is looked for: the primary server (from the build), then a server on the
// device itself.
struct UpdateEndpoints {
  std::string primary = std::string(UPDATE_ORIGIN) + UPDATE_MANIFEST_PATH;
  std::string fallback = "http://127.0.0.1:4549/ota/zentomi.json";
};

// The message when an endpoint answered with more than a manifest can be (1 MiB).
inline constexpr std::string_view MANIFEST_TOO_LARGE_MESSAGE =
    "Update manifest received from server is too large";

// A manifest when it names a newer version than this program's, nothing when this version is
// current, or the message to show.
using UpdateCheckOutcome = std::expected<std::optional<OtaManifest>, std::string>;

// Shown every manifest that reads, newer or not (it may name where the site now lives).
using ManifestObserver = std::function<void(const OtaManifest&)>;

// Fetches the manifest through curl from the primary endpoint or, when that gives no body, from
// the fallback, and compares its version with APP_VERSION. Blocks for up to about 16 seconds;
// logs its progress on standard error.
UpdateCheckOutcome check_for_updates(const UpdateEndpoints& endpoints = {},
                                     const ManifestObserver& observer = {});

}  // namespace zentomi

#pragma once

#include <optional>
#include <string>
#include <variant>

namespace zentomi {

struct OtaManifest {
  std::string version;
  std::string name;
  std::string changelog;
  std::string download_url;
  float size_mb = 0.0f;
  std::optional<std::string> sha256;
  // Base64 Ed25519 signature of the package, checked when the build pins a public key.
  std::optional<std::string> signature = std::nullopt;
  // Where the site now lives, as the manifest gives it (checked before use); "" for a member that
  // is not text.
  std::optional<std::string> site_origin = std::nullopt;
  bool operator==(const OtaManifest&) const = default;
};

namespace update_status {
struct Idle {
  bool operator==(const Idle&) const = default;
};
struct Checking {
  bool operator==(const Checking&) const = default;
};
struct Available {
  OtaManifest manifest;
  bool operator==(const Available&) const = default;
};
struct UpToDate {
  bool operator==(const UpToDate&) const = default;
};
struct Downloading {
  bool operator==(const Downloading&) const = default;
};
struct Failed {
  std::string message;
  bool operator==(const Failed&) const = default;
};
}  // namespace update_status

using UpdateStatus =
    std::variant<update_status::Idle, update_status::Checking, update_status::Available,
                 update_status::UpToDate, update_status::Downloading, update_status::Failed>;

}  // namespace zentomi

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/ota.hpp"
#include "storage/file_system.hpp"

namespace zentomi {

// Lowercase hexadecimal SHA-256 of a regular file's content; nothing when it cannot be read.
std::optional<std::string> file_sha256_hex(FileSystem& files, const std::string& path);

// The text an update's signature covers: "zentomi-update\n" + version + "\n" + the package's
// lowercase hexadecimal SHA-256.
std::string signed_update_text(std::string_view version, std::string_view package_sha256_hex);

// Whether `signature_base64` is a valid Ed25519 signature of signed_update_text(...) by the key
// whose raw 32 bytes `public_key_base64` holds. Any malformed input is simply not valid.
bool is_valid_update_signature(std::string_view public_key_base64,
                               std::string_view signature_base64, std::string_view version,
                               std::string_view package_sha256_hex);

// The checks a downloaded package passes before it is unpacked: the manifest's "sha256", when it
// has one, must match (case-insensitively); and when a public key is pinned (not empty), the
// manifest's signature must be valid for the package. Nothing when it passes, else the message.
std::optional<std::string> verify_package(FileSystem& files, const OtaManifest& manifest,
                                          const std::string& package,
                                          std::string_view pinned_public_key_base64);

}  // namespace zentomi

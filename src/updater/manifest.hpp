#pragma once

#include <optional>
#include <string_view>

#include "model/ota.hpp"

namespace zentomi {

// Reads one update manifest: a JSON object with the string members "version", "name",
// "changelog" and "download_url", an optional number "size_mb" (0 when absent) and optional
// string-or-null "sha256" and "signature", and an optional "site_origin" (text; any other value
// reads as ""); other members are skipped whatever they hold, and a
// member given twice is refused. Also accepted: an array of the first four to six values in that
// order. White space may surround the document; anything else makes it invalid (nothing).
std::optional<OtaManifest> parse_manifest(std::string_view text);

}  // namespace zentomi

#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zentomi {

// The site's https origin for every fetch: the build's SITE_ORIGIN until the update manifest (or
// the copy of it kept on the card) names another. Read by any thread.
std::string site_origin();
void set_site_origin(std::string origin);

// Whether the text is an origin the program may move to: "https://" and a host name, optionally
// ":" and a port; no path, user part, query or fragment. A single trailing "/" is allowed and
// dropped. Nothing when the text is not such an origin.
std::optional<std::string> valid_site_origin(std::string_view text);

}  // namespace zentomi

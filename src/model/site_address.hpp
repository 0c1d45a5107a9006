#pragma once

#include <string>
#include <string_view>

namespace zentomi {

// The site moves to a new domain now and then. An address whose path starts with /truyen-tranh/
// names the same title (or chapter) under any origin; every other address names only itself.

// The path of a site address ("/truyen-tranh/..."), or nothing for any other address.
std::string_view site_path(std::string_view address);

// Whether two addresses name the same title or chapter: equal paths for two site addresses,
// equal texts otherwise.
bool same_title(std::string_view a, std::string_view b);

// A text equal for exactly the addresses same_title holds equal (for sets and maps).
std::string title_key(std::string_view address);

// A site address moved under `origin`; any other address unchanged.
std::string at_origin(std::string_view address, std::string_view origin);

}  // namespace zentomi

#pragma once

#include <string>
#include <string_view>

namespace zentomi {

// Only URLs beginning with "http://" or "https://" are handed to curl: anything else taken from a
// scraped page or a manifest could be read by curl as an option or a local file.
bool is_web_url(std::string_view url);

// The URL as it goes on curl's command line. curl reads [1-9] and {a,b} in a URL as a series of
// transfers; a scraped value must never fan one fetch out into many, so those four characters go
// percent-encoded, as curl would send them.
std::string without_globbing(std::string_view url);

}  // namespace zentomi

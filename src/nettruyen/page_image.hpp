#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "model/image.hpp"
#include "nettruyen/fetch.hpp"
#include "nettruyen/fetch_function.hpp"

namespace zentomi {

// The page image job's work: download one chapter page and decode it. A download failure keeps
// its own message; a decoding failure reads "Image decode error: " and the decoder's reason.
std::expected<SharedImage, std::string> load_page_image(std::string_view url,
                                                        const FetchBytes& fetch = fetch_bytes);

}  // namespace zentomi

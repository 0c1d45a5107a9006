#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <string>
#include <string_view>

#include "images/fetch_function.hpp"
#include "model/image.hpp"

namespace zentomi {

// The page image job's work: download one chapter page and decode it. A download failure keeps
// its own message; a decoding failure reads "Image decode error: " and the decoder's reason.
// When `still_wanted` says no after the download, nothing is decoded ("Page no longer shown").
// A tall strip is decoded no wider than `drawn_width` (0: its own width), the widest the reader
// draws it.
std::expected<SharedImage, std::string> load_page_image(
    std::string_view url, const FetchBytes& fetch,
    const std::function<bool()>& still_wanted = nullptr, std::uint32_t drawn_width = 0);

}  // namespace zentomi

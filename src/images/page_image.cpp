#include "images/page_image.hpp"

#include <memory>

#include "images/image_decoding.hpp"
#include "images/pixel_pool.hpp"

namespace zentomi {

std::expected<SharedImage, std::string> load_page_image(std::string_view url,
                                                        const FetchBytes& fetch,
                                                        const std::function<bool()>& still_wanted,
                                                        std::uint32_t drawn_width) {
  auto bytes = fetch(url);
  if (!bytes) return std::unexpected(std::move(bytes.error()));
  if (still_wanted && !still_wanted()) return std::unexpected(std::string("Page no longer shown"));
  auto image = decode_image(*bytes, page_limits(drawn_width));
  if (!image) return std::unexpected("Image decode error: " + image.error());
  return pixel_pool::share(std::move(*image));
}

}  // namespace zentomi

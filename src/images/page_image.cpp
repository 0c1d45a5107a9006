#include "images/page_image.hpp"

#include <memory>

#include "images/image_decoding.hpp"

namespace zentomi {

std::expected<SharedImage, std::string> load_page_image(std::string_view url,
                                                        const FetchBytes& fetch,
                                                        const std::function<bool()>& still_wanted) {
  auto bytes = fetch(url);
  if (!bytes) return std::unexpected(std::move(bytes.error()));
  if (still_wanted && !still_wanted()) return std::unexpected(std::string("Page no longer shown"));
  auto image = decode_image(*bytes);
  if (!image) return std::unexpected("Image decode error: " + image.error());
  return std::make_shared<const RgbaImage>(std::move(*image));
}

}  // namespace zentomi

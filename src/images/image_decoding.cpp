#include "images/image_decoding.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "images/image_codecs.hpp"

namespace zentomi {
namespace {

struct Signature {
  std::size_t offset;
  std::string_view bytes;
  std::string_view name;
};

using namespace std::string_view_literals;

// Formats an image library commonly recognises but this reader does not decode; they are named
// in the refusal so a log tells what the server sent.
constexpr Signature REFUSED[] = {
    {0, "GIF87a"sv, "Gif"},    {0, "GIF89a"sv, "Gif"},
    {0, "MM\0*"sv, "Tiff"},    {0, "II*\0"sv, "Tiff"},
    {0, "DDS "sv, "Dds"},      {0, "BM"sv, "Bmp"},
    {0, "\0\0\1\0"sv, "Ico"},  {0, "#?RADIANCE"sv, "Hdr"},
    {0, "P1"sv, "Pnm"},        {0, "P2"sv, "Pnm"},
    {0, "P3"sv, "Pnm"},        {0, "P4"sv, "Pnm"},
    {0, "P5"sv, "Pnm"},        {0, "P6"sv, "Pnm"},
    {0, "P7"sv, "Pnm"},        {0, "farbfeld"sv, "Farbfeld"},
    {0, "qoif"sv, "Qoi"},      {0, "\x76\x2f\x31\x01"sv, "OpenExr"},
    {4, "ftypavif"sv, "Avif"},
};

bool has(std::span<const std::uint8_t> data, std::size_t offset, std::string_view bytes) {
  if (data.size() < offset + bytes.size()) return false;
  return std::equal(bytes.begin(), bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(offset),
                    [](char expected, std::uint8_t actual) {
                      return static_cast<std::uint8_t>(expected) == actual;
                    });
}

std::string too_large(std::uint64_t width, std::uint64_t height, const DecodeLimits& limits) {
  return "The image is too large: " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels (the limits are " + std::to_string(MAX_PAGE_WIDTH) + " wide and " +
         std::to_string(limits.budget_bytes >> 20) + " MiB of pixels at an eighth of the width)";
}

}  // namespace

std::uint32_t scaled_height(std::uint64_t width, std::uint64_t height,
                            std::uint64_t decoded_width) {
  if (width == 0) return 0;
  return static_cast<std::uint32_t>(
      std::max<std::uint64_t>((height * decoded_width + width - 1) / width, 1));
}

bool within_budget(DecodedSize size, const DecodeLimits& limits) {
  return limits.budget_bytes == 0 ||
         std::uint64_t{size.width} * size.height * 4 <= limits.budget_bytes;
}

std::expected<DecodedSize, std::string> decoded_size(std::uint64_t width, std::uint64_t height,
                                                     const DecodeLimits& limits) {
  if (limits.budget_bytes == 0 || width == 0 || height == 0) {
    if (auto refusal = codecs::refuse_size(width, height, limits)) return std::unexpected(*refusal);
    return DecodedSize{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
  }
  if (width > MAX_PAGE_WIDTH) return std::unexpected(too_large(width, height, limits));
  std::uint64_t target = width;
  if (limits.drawn_width != 0 && limits.drawn_width < width && is_tall_strip(width, height))
    target = limits.drawn_width;
  const auto at = [&](std::uint64_t decoded_width) {
    return DecodedSize{static_cast<std::uint32_t>(decoded_width),
                       scaled_height(width, height, decoded_width)};
  };
  if (!within_budget(at(target), limits)) {
    // Pixels grow with the square of the width: start from the root and step down past the
    // rounding of the height.
    const double widest = std::sqrt(static_cast<double>(limits.budget_bytes) / 4.0 *
                                    static_cast<double>(width) / static_cast<double>(height));
    target = std::min(target, static_cast<std::uint64_t>(widest));
    while (target > 0 && !within_budget(at(target), limits))
      --target;
  }
  if (target == 0 || target * MAX_PAGE_REDUCTION < width)
    return std::unexpected(too_large(width, height, limits));
  return at(target);
}

std::expected<RgbaImage, std::string> decode_image(std::span<const std::uint8_t> data,
                                                   const DecodeLimits& limits) {
  if (has(data, 0, "\x89PNG\r\n\x1a\n"sv)) return codecs::decode_png(data, limits);
  if (has(data, 0, "\xFF\xD8\xFF"sv)) return codecs::decode_jpeg(data, limits);
  if (has(data, 0, "RIFF"sv) && has(data, 8, "WEBP"sv)) return codecs::decode_webp(data, limits);
  for (const Signature& signature : REFUSED) {
    if (has(data, signature.offset, signature.bytes)) {
      return std::unexpected("The image format " + std::string(signature.name) +
                             " is not supported");
    }
  }
  return std::unexpected("The image format could not be determined");
}

namespace codecs {

std::optional<std::string> refuse_size(std::uint64_t width, std::uint64_t height,
                                       const DecodeLimits& limits) {
  if (width <= limits.max_side && height <= limits.max_side && width * height <= limits.max_pixels)
    return std::nullopt;
  return "The image is too large: " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels (the limits are " + std::to_string(limits.max_side) + " on a side and " +
         std::to_string(limits.max_pixels) + " in all)";
}

std::optional<std::string> refuse_unfillable(std::string_view format, std::uint64_t pixels,
                                             std::uint64_t file_bytes,
                                             std::uint64_t pixels_per_byte) {
  if (pixels <= file_bytes * pixels_per_byte) return std::nullopt;
  return "Format error decoding " + std::string(format) + ": " + std::to_string(file_bytes) +
         " bytes cannot hold " + std::to_string(pixels) + " pixels";
}

}  // namespace codecs
}  // namespace zentomi

#include "images/image_decoding.hpp"

#include <algorithm>
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

}  // namespace

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

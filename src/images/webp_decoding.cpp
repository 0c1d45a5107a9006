// WebP, lossy and lossless, through libwebp, decoding straight into the result's buffer.
#include <webp/decode.h>

#include "images/image_codecs.hpp"
#include "images/pixel_pool.hpp"

namespace zentomi::codecs {
namespace {

const char* describe(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY:
      return "out of memory";
    case VP8_STATUS_INVALID_PARAM:
      return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR:
      return "invalid bitstream";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
      return "unsupported feature";
    case VP8_STATUS_NOT_ENOUGH_DATA:
      return "not enough data";
    default:
      return "decoding failed";
  }
}

std::unexpected<std::string> failure(VP8StatusCode status) {
  return std::unexpected(std::string("Format error decoding WebP: ") + describe(status));
}

// Owns libwebp's configuration; the output buffer itself belongs to the result.
class Decoder {
 public:
  Decoder() { WebPInitDecoderConfig(&config_); }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  ~Decoder() { WebPFreeDecBuffer(&config_.output); }
  WebPDecoderConfig& config() { return config_; }

 private:
  WebPDecoderConfig config_{};
};

}  // namespace

std::expected<RgbaImage, std::string> decode_webp(std::span<const std::uint8_t> data,
                                                  const DecodeLimits& limits) {
  Decoder decoder;
  WebPDecoderConfig& config = decoder.config();
  // A file cut short of the size its container declares has lost pixel data; it is refused before
  // its pixels are allocated.
  if (data.size() >= 8) {
    const std::uint64_t declared = std::uint64_t{data[4]} | std::uint64_t{data[5]} << 8 |
                                   std::uint64_t{data[6]} << 16 | std::uint64_t{data[7]} << 24;
    if (declared + 8 > data.size()) return failure(VP8_STATUS_NOT_ENOUGH_DATA);
  }
  VP8StatusCode status = WebPGetFeatures(data.data(), data.size(), &config.input);
  if (status != VP8_STATUS_OK) return failure(status);
  if (config.input.has_animation)
    return std::unexpected("Format error decoding WebP: animated images are not supported");
  const auto width = static_cast<std::uint32_t>(config.input.width);
  const auto height = static_cast<std::uint32_t>(config.input.height);
  // libwebp holds a lossless image whole while decoding it, whatever the output size, so the
  // side and pixel bounds hold for every WebP, pages included.
  if (auto refusal = refuse_size(width, height, limits)) return std::unexpected(*refusal);
  const auto wanted = decoded_size(width, height, limits);
  if (!wanted) return std::unexpected(wanted.error());

  RgbaImage result;
  result.width = wanted->width;
  result.height = wanted->height;
  if (wanted->width != width) {
    result.full_width = width;
    result.full_height = height;
    config.options.use_scaling = 1;
    config.options.scaled_width = static_cast<int>(wanted->width);
    config.options.scaled_height = static_cast<int>(wanted->height);
  }
  result.pixels = pixel_pool::take(std::size_t{result.width} * result.height * 4);
  result.opaque = config.input.has_alpha == 0;
  config.output.colorspace = MODE_BGRA;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = result.pixels.data();
  config.output.u.RGBA.stride = static_cast<int>(result.width * 4);
  config.output.u.RGBA.size = result.pixels.size();
  status = WebPDecode(data.data(), data.size(), &config);
  if (status != VP8_STATUS_OK) return failure(status);
  return result;
}

}  // namespace zentomi::codecs

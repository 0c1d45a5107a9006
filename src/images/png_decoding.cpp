// PNG through libpng's reading API with explicit transforms to 8-bit BGRA (the canvas order). The
// samples come out as stored: gamma, chromaticity and profile chunks are not applied (libpng's
// simplified API would apply gAMA). libpng reports fatal errors through a callback that must not
// return, so the decoding runs under setjmp and the callback jumps back with the message.
#include <png.h>

#include <cstring>
#include <optional>
#include <vector>

#include "images/image_codecs.hpp"
#include "images/pixel_pool.hpp"
#include "images/row_shrinking.hpp"

namespace zentomi::codecs {
namespace {

// Everything the decoding touches after setjmp lives here, reached through a reference, so none
// of it is a local variable whose value a longjmp could leave indeterminate.
struct Session {
  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() { png_destroy_read_struct(&png, &info, nullptr); }

  png_structp png = nullptr;
  png_infop info = nullptr;
  std::span<const std::uint8_t> data;
  std::size_t position = 0;
  std::string message;
  RgbaImage image;
  std::vector<png_bytep> rows;
  std::vector<png_byte> source_row;
  std::optional<RowShrinker> shrinker;
};

Session& session_of(png_structp png) {
  return *static_cast<Session*>(png_get_error_ptr(png));
}

[[noreturn]] void stop_with_message(png_structp png, png_const_charp message) {
  Session& session = session_of(png);
  // Assigning a short text to a string with reserved room cannot throw.
  session.message.assign(message, std::min(std::strlen(message), session.message.capacity()));
  png_longjmp(png, 1);
}

// Damage that libpng can read past (a bad ancillary chunk) is not worth a line on stderr.
void ignore_warning(png_structp, png_const_charp) {}

void read_from_memory(png_structp png, png_bytep destination, std::size_t length) {
  Session& session = session_of(png);
  if (session.data.size() - session.position < length) png_error(png, "Read beyond end of data");
  std::memcpy(destination, session.data.data() + session.position, length);
  session.position += length;
}

// Only the chunks that make up the pixels (header, palette, transparency, data) are read; the
// colour-space and text chunks are skipped unparsed, which also spares decompressing profiles
// and text nobody looks at.
void skip_ancillary_chunks(png_structp png) {
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
}

// Every colour type and depth to 8-bit blue, green, red, alpha: palette expanded, low-depth grey
// widened, tRNS made an alpha channel, grey copied into the colour channels, 16-bit samples
// rounded to the nearest 8-bit value, and opaque alpha added where the file has none. True when
// the picture has no alpha of its own.
bool request_bgra8(png_structp png, png_infop info) {
  const png_byte colour_type = png_get_color_type(png, info);
  png_set_expand(png);
  png_set_scale_16(png);
  if ((colour_type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  const bool opaque =
      (colour_type & PNG_COLOR_MASK_ALPHA) == 0 && png_get_valid(png, info, PNG_INFO_tRNS) == 0;
  if (opaque) png_set_add_alpha(png, 0xFFFF, PNG_FILLER_AFTER);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return opaque;
}

// True when session.image holds the picture; otherwise session.message says why, or, for a
// refused size, the refusal alone.
bool run(Session& session, const DecodeLimits& limits, std::string& refusal) {
  session.png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, &session, stop_with_message, ignore_warning);
  if (session.png == nullptr) {
    session.message = "out of memory";
    return false;
  }
  png_structp png = session.png;
  if (setjmp(png_jmpbuf(png)) != 0) return false;

  session.info = png_create_info_struct(png);
  if (session.info == nullptr) png_error(png, "out of memory");
  png_set_read_fn(png, nullptr, read_from_memory);
  skip_ancillary_chunks(png);
  png_read_info(png, session.info);

  const std::uint32_t width = png_get_image_width(png, session.info);
  const std::uint32_t height = png_get_image_height(png, session.info);
  auto wanted = decoded_size(width, height, limits);
  if (!wanted) {
    refusal = std::move(wanted.error());
    return false;
  }
  // Deflate packs at most 1032 bytes into one, and a pixel takes at least one bit of its row.
  if (auto refused = refuse_unfillable("Png", std::uint64_t{width} * height, session.data.size(),
                                       std::uint64_t{1032} * 8)) {
    refusal = std::move(*refused);
    return false;
  }
  // An interlaced file sends every row several times, so it is only read at its own size.
  const bool shrunk = wanted->width != width;
  if (shrunk && png_get_interlace_type(png, session.info) != PNG_INTERLACE_NONE) {
    if (!within_budget({width, height}, limits)) {
      refusal = "The interlaced image is too large to decode: " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels";
      return false;
    }
    wanted = DecodedSize{width, height};
  }
  const bool opaque = request_bgra8(png, session.info);
  if (png_get_rowbytes(png, session.info) != std::size_t{width} * 4)
    png_error(png, "unexpected row layout after conversion");

  RgbaImage& image = session.image;
  image.width = wanted->width;
  image.height = wanted->height;
  image.opaque = opaque;
  image.pixels = pixel_pool::take(std::size_t{image.width} * image.height * 4);
  if (image.width == width) {
    session.rows.resize(height);
    for (std::uint32_t y = 0; y < height; ++y)
      session.rows[y] = image.pixels.data() + std::size_t{width} * 4 * y;
    png_read_image(png, session.rows.data());
  } else {
    image.full_width = width;
    image.full_height = height;
    session.source_row.resize(std::size_t{width} * 4);
    session.shrinker.emplace(width, height, image.width, image.height, image.pixels.data());
    for (std::uint32_t y = 0; y < height; ++y) {
      png_read_row(png, session.source_row.data(), nullptr);
      session.shrinker->add_row(session.source_row.data());
    }
  }
  // Reading on to the end chunk checks the last data chunk whole, so a cut file fails.
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

std::expected<RgbaImage, std::string> decode_png(std::span<const std::uint8_t> data,
                                                 const DecodeLimits& limits) {
  Session session;
  session.data = data;
  session.message.reserve(200);
  std::string refusal;
  if (run(session, limits, refusal)) return std::move(session.image);
  if (!refusal.empty()) return std::unexpected(std::move(refusal));
  return std::unexpected("Format error decoding Png: " + session.message);
}

}  // namespace zentomi::codecs

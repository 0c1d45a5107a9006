// JPEG through libjpeg-turbo. libjpeg reports fatal errors through a callback that must not
// return, so the decoding runs under setjmp and the callback jumps back with the message.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "images/image_codecs.hpp"
#include "images/pixel_pool.hpp"

// jpeglib.h needs <cstdio> before it.
#include <jerror.h>
#include <jpeglib.h>

namespace zentomi::codecs {
namespace {

struct ErrorState {
  jpeg_error_mgr manager;  // first, so libjpeg's pointer to it is a pointer to the whole
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool premature_end;
};

// Everything the decoding touches after setjmp lives here, reached through a reference, so none
// of it is a local variable whose value a longjmp could leave indeterminate.
struct Session {
  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() { jpeg_destroy_decompress(&info); }

  jpeg_decompress_struct info{};
  ErrorState errors{};
  jpeg_progress_mgr progress{};
  RgbaImage image;
  std::vector<JSAMPLE> cmyk_row;
  std::string refusal;
  int max_scans = MAX_JPEG_SCANS;
};

ErrorState& errors_of(j_common_ptr info) {
  return *reinterpret_cast<ErrorState*>(info->err);
}

[[noreturn]] void stop_with_message(j_common_ptr info) {
  ErrorState& errors = errors_of(info);
  (*info->err->format_message)(info, errors.message);
  std::longjmp(errors.jump, 1);
}

// Warnings are not printed. Running out of data is remembered: a truncated file must fail
// rather than show a half-grey picture, whether it simply ends or a marker (an end marker added
// to a cut file) comes where pixel data should be; other damage is shown as well as it decodes.
void note_message(j_common_ptr info, int level) {
  const int code = info->err->msg_code;
  if (level >= 0 || (code != JWRN_JPEG_EOF && code != JWRN_HIT_MARKER)) return;
  ErrorState& errors = errors_of(info);
  (*info->err->format_message)(info, errors.message);
  errors.premature_end = true;
}

// A progressive file may repeat scans without end, and each costs a pass over the whole image.
// The monitor runs for every row of blocks read, so the count is checked as the scans arrive.
void limit_scans(j_common_ptr common) {
  const auto* info = reinterpret_cast<j_decompress_ptr>(common);
  const Session& session = *static_cast<const Session*>(info->client_data);
  if (!info->progressive_mode || info->input_scan_number <= session.max_scans) return;
  ErrorState& errors = errors_of(common);
  std::snprintf(errors.message, sizeof errors.message, "Too many progressive scans (over %d)",
                session.max_scans);
  std::longjmp(errors.jump, 1);
}

// libjpeg's own memory (a progressive file keeps every coefficient of the image) may take this
// much; a file that needs more fails instead.
constexpr long MAX_LIBRARY_MEMORY = 256L << 20;

// libjpeg decodes at n/8 of the size for n from 1 to 16. The smallest n no narrower than the
// wanted width, then smaller while the pixels exceed the budget.
void choose_scale(jpeg_decompress_struct& info, DecodedSize wanted, const DecodeLimits& limits) {
  if (wanted.width >= info.image_width) return;
  const auto width_at = [&](unsigned n) { return (info.image_width * n + 7) / 8; };
  unsigned n = 1;
  while (n < 8 && width_at(n) < wanted.width)
    ++n;
  while (n > 1 && !within_budget({width_at(n), (info.image_height * n + 7) / 8}, limits))
    --n;
  info.scale_num = n;
  info.scale_denom = 8;
}

int scans_allowed(std::uint64_t width, std::uint64_t height, const DecodeLimits& limits) {
  const std::uint64_t pixels = std::max<std::uint64_t>(width * height, 1);
  return static_cast<int>(std::min<std::uint64_t>(MAX_JPEG_SCANS, limits.max_scan_pixels / pixels));
}

// Adobe's CMYK files store the ink values inverted, the others as they are.
void cmyk_to_bgra(const JSAMPLE* cmyk, std::uint8_t* bgra, std::size_t width, bool inverted) {
  for (std::size_t x = 0; x < width; ++x, cmyk += 4, bgra += 4) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    bgra[0] = static_cast<std::uint8_t>(y * k / 255);
    bgra[1] = static_cast<std::uint8_t>(m * k / 255);
    bgra[2] = static_cast<std::uint8_t>(c * k / 255);
    bgra[3] = 255;
  }
}

// True when session.image holds the picture; otherwise errors.message or refusal says why.
bool run(Session& session, std::span<const std::uint8_t> data, const DecodeLimits& limits) {
  jpeg_decompress_struct& info = session.info;
  info.err = jpeg_std_error(&session.errors.manager);
  session.errors.manager.error_exit = stop_with_message;
  session.errors.manager.emit_message = note_message;
  if (setjmp(session.errors.jump) != 0) return false;

  jpeg_create_decompress(&info);
  info.client_data = &session;
  session.progress.progress_monitor = limit_scans;
  info.progress = &session.progress;
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  info.mem->max_memory_to_use = MAX_LIBRARY_MEMORY;
  jpeg_read_header(&info, TRUE);
  const auto wanted = decoded_size(info.image_width, info.image_height, limits);
  if (!wanted) {
    session.refusal = wanted.error();
    return false;
  }
  // Every 8 x 8 block costs at least a bit of Huffman code (512 pixels a byte in one component);
  // twice that leaves room to spare.
  if (auto refusal = refuse_unfillable("Jpeg", std::uint64_t{info.image_width} * info.image_height,
                                       data.size(), 1024)) {
    session.refusal = std::move(*refusal);
    return false;
  }
  session.max_scans = scans_allowed(info.image_width, info.image_height, limits);

  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  choose_scale(info, *wanted, limits);
  jpeg_start_decompress(&info);
  if (session.errors.premature_end) return false;
  if (!within_budget({info.output_width, info.output_height}, limits)) {
    session.refusal = "The scaled image does not fit its budget";
    return false;
  }

  const std::size_t width = info.output_width;
  RgbaImage& image = session.image;
  image.width = info.output_width;
  image.height = info.output_height;
  image.opaque = true;
  if (image.width != info.image_width) {
    image.full_width = info.image_width;
    image.full_height = info.image_height;
  }
  image.pixels = pixel_pool::take(width * info.output_height * 4);
  if (cmyk) session.cmyk_row.resize(width * 4);
  while (info.output_scanline < info.output_height) {
    std::uint8_t* destination = image.pixels.data() + width * 4 * info.output_scanline;
    JSAMPROW row = cmyk ? session.cmyk_row.data() : destination;
    jpeg_read_scanlines(&info, &row, 1);
    if (session.errors.premature_end) return false;
    if (cmyk) cmyk_to_bgra(row, destination, width, info.saw_Adobe_marker != 0);
  }
  return true;
}

}  // namespace

std::expected<RgbaImage, std::string> decode_jpeg(std::span<const std::uint8_t> data,
                                                  const DecodeLimits& limits) {
  Session session;
  if (run(session, data, limits)) return std::move(session.image);
  if (!session.refusal.empty()) return std::unexpected(std::move(session.refusal));
  return std::unexpected(std::string("Format error decoding Jpeg: ") + session.errors.message);
}

}  // namespace zentomi::codecs

#include "draw/font.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "draw/embedded_font.hpp"

namespace zentomi {
namespace {

// FreeType's own descriptions of its error codes, from its error list.
#undef FTERRORS_H_
#define FT_ERRORDEF(code, value, text) {value, text},
#define FT_ERROR_START_LIST {
#define FT_ERROR_END_LIST \
  { 0, nullptr }          \
  }                       \
  ;
struct FreeTypeError {
  int code;
  const char* text;
};
constexpr FreeTypeError FREETYPE_ERRORS[] =
#include FT_ERRORS_H

    std::string freetype_error_text(FT_Error error) {
  for (const FreeTypeError& known : FREETYPE_ERRORS) {
    if (known.text != nullptr && known.code == error) return known.text;
  }
  return "FreeType error " + std::to_string(error);
}

// Unhinted outlines at the exact fractional size; embedded bitmaps would not scale.
constexpr FT_Int32 LOAD_FLAGS = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;

// Advances measured for word wrapping, kept beside the bitmaps; forgotten all at once when this
// many have piled up, which bounds their memory.
constexpr std::size_t MAX_KEPT_ADVANCES = 8192;

std::int64_t size_26_6(float size) {
  return std::llround(static_cast<double>(size) * 64.0);
}

struct LibraryDeleter {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};

// One parsed face and the size it is set to.
struct SizedFace {
  std::unique_ptr<FT_FaceRec_, FaceDeleter> face;
  std::int64_t current_size = 0;  // 26.6; 0 until a size is set
  bool size_failed = false;

  // Makes the face scale to the size; false when the rasteriser refuses it.
  bool use_size(std::int64_t size) {
    if (size == current_size) return !size_failed;
    current_size = size;
    // At 72 dots per inch a size in points is a size in pixels; 26.6 keeps the fraction.
    size_failed = FT_Set_Char_Size(face.get(), 0, static_cast<FT_F26Dot6>(size), 72, 72) != 0;
    return !size_failed;
  }
};

// Glyphs of the fallback face are numbered above every glyph the main face can have (a face has
// at most 65,535), so one number names the face and the glyph in it.
constexpr std::uint32_t FALLBACK_GLYPH = 0x8000'0000u;
// No glyph number has every bit set.
constexpr std::uint32_t UNKNOWN_GLYPH = 0xFFFF'FFFFu;
constexpr char32_t FAST_CODE_POINTS = 0x2000;

std::expected<std::unique_ptr<FT_FaceRec_, FaceDeleter>, std::string> open_face(
    FT_Library library, std::span<const std::uint8_t> bytes) {
  FT_Face face = nullptr;
  if (const FT_Error error =
          FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &face);
      error != 0) {
    return std::unexpected(freetype_error_text(error));
  }
  std::unique_ptr<FT_FaceRec_, FaceDeleter> owned(face);
  if (!FT_IS_SCALABLE(face)) return std::unexpected("not a scalable outline font");
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
    return std::unexpected("no Unicode character map");
  }
  return owned;
}

}  // namespace

struct Font::Parts {
  std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library;
  SizedFace main;
  SizedFace fallback;  // no face when the font has no fallback
  GlyphCache cache;
  DrawnLines drawn_lines;
  std::unordered_map<GlyphKey, float, GlyphKeyHash> advances;
  // The glyph of every code point below FAST_CODE_POINTS looked up so far (Latin, Vietnamese,
  // punctuation), UNKNOWN_GLYPH until then: the character maps' searches cost more than
  // blending most glyphs.
  std::vector<std::uint32_t> glyphs_of_code_points;
  Glyph scratch;

  explicit Parts(std::size_t cache_bytes) : cache(cache_bytes), drawn_lines(cache_bytes) {}

  // The face a glyph number belongs to, and the glyph's index in it.
  std::pair<SizedFace*, FT_UInt> face_of(std::uint32_t glyph) {
    if ((glyph & FALLBACK_GLYPH) != 0 && fallback.face) {
      return {&fallback, glyph & ~FALLBACK_GLYPH};
    }
    return {&main, glyph};
  }

  // The character maps' answer for one code point.
  std::uint32_t look_up(char32_t code_point) const;

  Glyph rasterise(std::uint32_t number, std::int64_t size) {
    Glyph glyph;
    const auto [sized, index] = face_of(number);
    if (!sized->use_size(size)) return glyph;
    const FT_Face face = sized->face.get();
    if (FT_Load_Glyph(face, index, LOAD_FLAGS | FT_LOAD_RENDER) != 0) return glyph;
    const FT_GlyphSlot slot = face->glyph;
    glyph.advance = static_cast<float>(static_cast<double>(slot->linearHoriAdvance) / 65536.0);
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.buffer == nullptr) return glyph;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    glyph.coverage.resize(static_cast<std::size_t>(bitmap.width) * bitmap.rows);
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      std::memcpy(glyph.coverage.data() + static_cast<std::size_t>(row) * bitmap.width,
                  bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch, bitmap.width);
    }
    return glyph;
  }
};

Font::Font(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
Font::Font(Font&&) noexcept = default;
Font& Font::operator=(Font&&) noexcept = default;
Font::~Font() = default;

std::expected<Font, std::string> Font::load(std::span<const std::uint8_t> bytes,
                                            std::size_t cache_bytes) {
  return load(bytes, {}, cache_bytes);
}

std::expected<Font, std::string> Font::load(std::span<const std::uint8_t> bytes,
                                            std::span<const std::uint8_t> fallback_bytes,
                                            std::size_t cache_bytes) {
  const auto failure = [](const std::string& description) {
    return std::unexpected("Failed to load embedded font: " + description);
  };
  auto parts = std::make_unique<Parts>(cache_bytes);
  FT_Library library = nullptr;
  if (const FT_Error error = FT_Init_FreeType(&library); error != 0) {
    return failure(freetype_error_text(error));
  }
  parts->library.reset(library);
  auto main = open_face(library, bytes);
  if (!main) return failure(main.error());
  parts->main.face = std::move(*main);
  if (!fallback_bytes.empty()) {
    auto fallback = open_face(library, fallback_bytes);
    if (!fallback) return failure(fallback.error());
    parts->fallback.face = std::move(*fallback);
  }
  return Font(std::move(parts));
}

std::expected<Font, std::string> Font::load_embedded(std::size_t cache_bytes) {
  return load(embedded_font_bytes(), embedded_fallback_font_bytes(), cache_bytes);
}

std::size_t Font::glyph_count() const {
  return static_cast<std::size_t>(parts_->main.face->num_glyphs);
}

std::uint32_t Font::glyph_index(char32_t code_point) const {
  if (code_point < FAST_CODE_POINTS) {
    std::vector<std::uint32_t>& known = parts_->glyphs_of_code_points;
    if (known.empty()) known.assign(FAST_CODE_POINTS, UNKNOWN_GLYPH);
    std::uint32_t& glyph = known[code_point];
    if (glyph == UNKNOWN_GLYPH) glyph = parts_->look_up(code_point);
    return glyph;
  }
  return parts_->look_up(code_point);
}

std::uint32_t Font::Parts::look_up(char32_t code_point) const {
  const FT_UInt found = FT_Get_Char_Index(main.face.get(), code_point);
  if (found != 0 || !fallback.face) return found;
  const FT_UInt in_fallback = FT_Get_Char_Index(fallback.face.get(), code_point);
  return in_fallback == 0 ? 0 : FALLBACK_GLYPH | in_fallback;
}

int Font::left_overhang(float size) const {
  if (!usable_text_size(size)) return 0;
  double reach = 0.0;
  for (const SizedFace* sized : {&parts_->main, &parts_->fallback}) {
    const FT_Face face = sized->face.get();
    if (face == nullptr || face->units_per_EM == 0) continue;
    reach = std::max(reach, -static_cast<double>(face->bbox.xMin) * size / face->units_per_EM);
  }
  return static_cast<int>(std::ceil(reach)) + 1;
}

float Font::advance(std::uint32_t glyph, float size) {
  if (!usable_text_size(size)) return 0;
  const GlyphKey key{glyph, size_26_6(size)};
  const bool keep = parts_->cache.capacity_bytes() > 0;
  if (keep) {
    if (const auto found = parts_->advances.find(key); found != parts_->advances.end()) {
      return found->second;
    }
  }
  const auto [sized, index] = parts_->face_of(glyph);
  if (!sized->use_size(key.size_26_6)) return 0;
  // The same scaled design advance as the loaded glyph's linearHoriAdvance, without loading it.
  FT_Fixed scaled = 0;
  if (FT_Get_Advance(sized->face.get(), index, LOAD_FLAGS, &scaled) != 0) return 0;
  const auto advance = static_cast<float>(static_cast<double>(scaled) / 65536.0);
  if (keep) {
    if (parts_->advances.size() >= MAX_KEPT_ADVANCES) parts_->advances.clear();
    parts_->advances.emplace(key, advance);
  }
  return advance;
}

const Glyph& Font::glyph(std::uint32_t glyph, float size) {
  if (!usable_text_size(size)) {
    parts_->scratch = Glyph{};
    return parts_->scratch;
  }
  const GlyphKey key{glyph, size_26_6(size)};
  if (const Glyph* cached = parts_->cache.find(key)) return *cached;
  Glyph rasterised = parts_->rasterise(glyph, key.size_26_6);
  if (GlyphCache::cost(rasterised) <= parts_->cache.capacity_bytes()) {
    return *parts_->cache.insert(key, std::move(rasterised));
  }
  parts_->scratch = std::move(rasterised);
  return parts_->scratch;
}

const GlyphCache& Font::cache() const {
  return parts_->cache;
}

DrawnLines& Font::drawn_lines() {
  return parts_->drawn_lines;
}

}  // namespace zentomi

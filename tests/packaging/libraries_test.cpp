// Every library the reader links works in this build, on its processor: in the device build this
// runs the static AArch64 archives under qemu, which is where a library that cannot be linked
// statically, or misses one of its own dependencies, shows up first.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>
#include <png.h>
#include <webp/decode.h>
#include <webp/encode.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "packaging/sha256.hpp"

// jpeglib.h uses FILE and size_t without declaring them.
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

namespace zentomi {
namespace {

constexpr int WIDTH = 16;
constexpr int HEIGHT = 8;

// Opaque RGBA with a different value in every channel of every pixel.
std::vector<std::uint8_t> test_pixels() {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < HEIGHT; ++y) {
    for (int x = 0; x < WIDTH; ++x) {
      pixels.insert(pixels.end(),
                    {static_cast<std::uint8_t>(x * 16), static_cast<std::uint8_t>(y * 32),
                     static_cast<std::uint8_t>(255 - x * 8 - y), 255});
    }
  }
  return pixels;
}

TEST(Libraries, PngRoundTripsPixelsExactly) {
  const std::vector<std::uint8_t> pixels = test_pixels();
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = WIDTH;
  image.height = HEIGHT;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  ASSERT_NE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr), 0);
  std::vector<std::uint8_t> encoded(size);
  ASSERT_NE(png_image_write_to_memory(&image, encoded.data(), &size, 0, pixels.data(), 0, nullptr),
            0);

  png_image decoded{};
  decoded.version = PNG_IMAGE_VERSION;
  ASSERT_NE(png_image_begin_read_from_memory(&decoded, encoded.data(), size), 0);
  decoded.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> back(PNG_IMAGE_SIZE(decoded));
  ASSERT_NE(png_image_finish_read(&decoded, nullptr, back.data(), 0, nullptr), 0);
  EXPECT_EQ(back, pixels);
}

TEST(Libraries, JpegRoundTripsPixelsClosely) {
  const std::vector<std::uint8_t> rgba = test_pixels();
  std::vector<std::uint8_t> rgb;
  for (std::size_t i = 0; i < rgba.size(); i += 4)
    rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});

  jpeg_error_mgr errors;
  jpeg_compress_struct compressor{};
  compressor.err = jpeg_std_error(&errors);
  jpeg_create_compress(&compressor);
  unsigned char* encoded = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&compressor, &encoded, &size);
  compressor.image_width = WIDTH;
  compressor.image_height = HEIGHT;
  compressor.input_components = 3;
  compressor.in_color_space = JCS_RGB;
  jpeg_set_defaults(&compressor);
  jpeg_set_quality(&compressor, 100, TRUE);
  jpeg_start_compress(&compressor, TRUE);
  for (int y = 0; y < HEIGHT; ++y) {
    JSAMPROW row = rgb.data() + y * WIDTH * 3;
    jpeg_write_scanlines(&compressor, &row, 1);
  }
  jpeg_finish_compress(&compressor);
  jpeg_destroy_compress(&compressor);

  jpeg_decompress_struct decompressor{};
  decompressor.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&decompressor);
  jpeg_mem_src(&decompressor, encoded, size);
  ASSERT_EQ(jpeg_read_header(&decompressor, TRUE), JPEG_HEADER_OK);
  decompressor.out_color_space = JCS_RGB;
  jpeg_start_decompress(&decompressor);
  ASSERT_EQ(decompressor.output_width, static_cast<JDIMENSION>(WIDTH));
  ASSERT_EQ(decompressor.output_height, static_cast<JDIMENSION>(HEIGHT));
  std::vector<std::uint8_t> back(rgb.size());
  while (decompressor.output_scanline < decompressor.output_height) {
    JSAMPROW row = back.data() + decompressor.output_scanline * WIDTH * 3;
    jpeg_read_scanlines(&decompressor, &row, 1);
  }
  jpeg_finish_decompress(&decompressor);
  jpeg_destroy_decompress(&decompressor);
  std::free(encoded);

  // Lossy even at full quality (chroma subsampling); a wrong decoder is off by far more.
  for (std::size_t i = 0; i < rgb.size(); ++i)
    ASSERT_NEAR(back[i], rgb[i], 24) << "byte " << i;
}

TEST(Libraries, LosslessWebpRoundTripsPixelsExactly) {
  const std::vector<std::uint8_t> pixels = test_pixels();
  std::uint8_t* encoded = nullptr;
  const std::size_t size =
      WebPEncodeLosslessRGBA(pixels.data(), WIDTH, HEIGHT, WIDTH * 4, &encoded);
  ASSERT_GT(size, 0u);
  int width = 0;
  int height = 0;
  std::uint8_t* decoded = WebPDecodeRGBA(encoded, size, &width, &height);
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(width, WIDTH);
  EXPECT_EQ(height, HEIGHT);
  EXPECT_EQ(std::vector<std::uint8_t>(decoded, decoded + pixels.size()), pixels);
  WebPFree(decoded);
  WebPFree(encoded);
}

TEST(Libraries, FreeTypeStartsAndRefusesDataThatIsNoFont) {
  FT_Library library = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  FT_Int major = 0;
  FT_Int minor = 0;
  FT_Int patch = 0;
  FT_Library_Version(library, &major, &minor, &patch);
  EXPECT_EQ(major, 2);
  // Every font driver (TrueType, CFF, WOFF2 through brotli, ...) is asked before this answer.
  std::array<FT_Byte, 1024> not_a_font{};
  not_a_font.fill(0x78);
  FT_Face face = nullptr;
  EXPECT_EQ(FT_New_Memory_Face(library, not_a_font.data(), not_a_font.size(), 0, &face),
            FT_Err_Unknown_File_Format);
  FT_Done_FreeType(library);
}

TEST(Libraries, LibcryptoGivesTheKnownSha256) {
  EXPECT_EQ(testing::sha256_hex("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace zentomi

#include "images/image_decoding.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "images/image_fixtures.hpp"
#include "support/jpeg_encoding.hpp"

namespace zentomi {
namespace {

using testing::image_fixture;
using Bytes = std::vector<std::uint8_t>;
using Rgba = std::array<int, 4>;

constexpr int WIDTH = 6;  // the small fixtures are 6 x 4
constexpr int HEIGHT = 4;

Rgba pixel(const RgbaImage& image, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 4;
  // Stored in the canvas's order: blue, green, red, alpha.
  return {image.pixels[at + 2], image.pixels[at + 1], image.pixels[at], image.pixels[at + 3]};
}

RgbaImage decode_fixture(const std::string& name) {
  auto image = decode_image(image_fixture(name));
  if (!image) ADD_FAILURE() << name << ": " << image.error();
  return image.value_or(RgbaImage{});
}

// The formulas make-images.py wrote the exact fixtures with.
Rgba formula_rgba(int x, int y) {
  return {40 * x + 10, 60 * y + 5, 20 * (x + y), 51 * x};
}
int formula_grey(int x, int y) {
  return 25 * x + 40 * y;
}
int reduced(int sample16) {  // 16 bits to 8, rounded
  return (sample16 * 255 + 32767) / 65535;
}

void expect_every_pixel(const RgbaImage& image, int width, int height, auto expected) {
  ASSERT_EQ(image.width, static_cast<std::uint32_t>(width));
  ASSERT_EQ(image.height, static_cast<std::uint32_t>(height));
  ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      EXPECT_EQ(pixel(image, x, y), expected(x, y)) << "at " << x << "," << y;
  }
}

void expect_near(const Rgba& actual, const Rgba& expected, int tolerance,
                 const std::string& where) {
  for (int channel = 0; channel < 4; ++channel) {
    EXPECT_NEAR(actual[channel], expected[channel], tolerance) << where << " channel " << channel;
  }
}

// The 32 x 32 lossy fixtures: four flat quadrants.
void expect_quadrants(const RgbaImage& image, bool right_half_transparent = false) {
  ASSERT_EQ(image.width, 32u);
  ASSERT_EQ(image.height, 32u);
  const Rgba top_left{200, 30, 40, 255}, top_right{20, 180, 60, 255};
  const Rgba bottom_left{30, 60, 210, 255}, bottom_right{240, 240, 240, 255};
  expect_near(pixel(image, 8, 8), top_left, 6, "top left");
  expect_near(pixel(image, 8, 24), bottom_left, 6, "bottom left");
  if (right_half_transparent) {
    EXPECT_EQ(pixel(image, 24, 8)[3], 0);
    EXPECT_EQ(pixel(image, 24, 24)[3], 0);
  } else {
    expect_near(pixel(image, 24, 8), top_right, 6, "top right");
    expect_near(pixel(image, 24, 24), bottom_right, 6, "bottom right");
  }
}

TEST(DecodePng, KeepsEightBitColourAndAlphaExactly) {
  expect_every_pixel(decode_fixture("rgba8.png"), WIDTH, HEIGHT, formula_rgba);
  expect_every_pixel(decode_fixture("rgb8.png"), WIDTH, HEIGHT, [](int x, int y) {
    Rgba expected = formula_rgba(x, y);
    expected[3] = 255;
    return expected;
  });
  expect_every_pixel(decode_fixture("interlaced.png"), 9, 9, [](int x, int y) {
    return Rgba{25 * x + 5, 28 * y + 3, 10 * (x + y), 255};
  });
}

TEST(DecodePng, CopiesGreyIntoTheThreeColourChannels) {
  expect_every_pixel(decode_fixture("grey8.png"), WIDTH, HEIGHT, [](int x, int y) {
    const int g = formula_grey(x, y);
    return Rgba{g, g, g, 255};
  });
  expect_every_pixel(decode_fixture("grey_alpha8.png"), WIDTH, HEIGHT, [](int x, int y) {
    const int g = formula_grey(x, y);
    return Rgba{g, g, g, 51 * x};
  });
  expect_every_pixel(decode_fixture("grey1.png"), WIDTH, HEIGHT, [](int x, int y) {
    const int g = (x + y) % 2 ? 255 : 0;
    return Rgba{g, g, g, 255};
  });
}

TEST(DecodePng, ExpandsThePaletteWithItsTransparency) {
  constexpr std::array<Rgba, 4> ENTRIES{Rgba{255, 0, 0, 0}, Rgba{0, 255, 0, 128},
                                        Rgba{0, 0, 255, 255}, Rgba{255, 255, 255, 255}};
  expect_every_pixel(decode_fixture("palette.png"), WIDTH, HEIGHT,
                     [&](int x, int y) { return ENTRIES[(x + WIDTH * y) % 4]; });
}

TEST(DecodePng, ReducesSixteenBitSamplesToEightBits) {
  expect_every_pixel(decode_fixture("rgba16.png"), WIDTH, HEIGHT, [](int x, int y) {
    return Rgba{reduced(1000 * x + 700 * y + 100), reduced(65535 - 3000 * x), reduced(12345 * y),
                reduced(13107 * x)};
  });
  expect_every_pixel(decode_fixture("grey16.png"), WIDTH, HEIGHT, [](int x, int y) {
    const int g = reduced(5000 * x + 9000 * y + 123);
    return Rgba{g, g, g, 255};
  });
}

TEST(DecodePng, RoundsSixteenBitSamplesToTheNearestEightBitValue) {
  // grey16_steps.png: for k below 255, 257 k + 128 then 257 k + 129; then 0 and 65535.
  const RgbaImage image = decode_fixture("grey16_steps.png");
  ASSERT_EQ(image.width, 512u);
  for (int k = 0; k < 255; ++k) {
    EXPECT_EQ(pixel(image, 2 * k, 0), (Rgba{k, k, k, 255})) << "below step " << k;
    EXPECT_EQ(pixel(image, 2 * k + 1, 0), (Rgba{k + 1, k + 1, k + 1, 255})) << "above step " << k;
  }
  EXPECT_EQ(pixel(image, 510, 0), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(pixel(image, 511, 0), (Rgba{255, 255, 255, 255}));
}

// Gamma, chromaticity and profile chunks are not applied: the samples come out as stored.
TEST(DecodePng, IgnoresGammaChromaticitiesAndProfiles) {
  // With gamma 0.55556 applied this pixel would read (145, 82, 209).
  expect_every_pixel(decode_fixture("gamma_rgb8.png"), 1, 1, [](int, int) {
    return Rgba{128, 64, 200, 255};
  });
  expect_every_pixel(decode_fixture("gamma_rgba8.png"), WIDTH, HEIGHT, formula_rgba);
  expect_every_pixel(decode_fixture("gamma_grey8.png"), WIDTH, HEIGHT, [](int x, int y) {
    const int g = formula_grey(x, y);
    return Rgba{g, g, g, 255};
  });
  constexpr std::array<Rgba, 4> ENTRIES{Rgba{255, 0, 0, 0}, Rgba{0, 255, 0, 128},
                                        Rgba{0, 0, 255, 255}, Rgba{128, 64, 200, 255}};
  expect_every_pixel(decode_fixture("gamma_palette.png"), WIDTH, HEIGHT,
                     [&](int x, int y) { return ENTRIES[(x + WIDTH * y) % 4]; });
  expect_every_pixel(decode_fixture("gamma_rgba16.png"), WIDTH, HEIGHT, [](int x, int y) {
    return Rgba{reduced(1000 * x + 700 * y + 100), reduced(65535 - 3000 * x), reduced(12345 * y),
                reduced(13107 * x)};
  });
  expect_every_pixel(decode_fixture("gamma_grey16.png"), WIDTH, HEIGHT, [](int x, int y) {
    const int g = reduced(5000 * x + 9000 * y + 123);
    return Rgba{g, g, g, 255};
  });
}

TEST(DecodeJpeg, DecodesBaselineAndProgressiveFiles) {
  expect_quadrants(decode_fixture("quadrants.jpg"));
  expect_quadrants(decode_fixture("progressive.jpg"));
}

TEST(DecodeJpeg, GreyBecomesEqualColourChannelsAndOpaqueAlpha) {
  const RgbaImage image = decode_fixture("grey.jpg");
  ASSERT_EQ(image.width, 32u);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const Rgba p = pixel(image, x, y);
      ASSERT_EQ(p[0], p[1]);
      ASSERT_EQ(p[1], p[2]);
      ASSERT_EQ(p[3], 255);
    }
  }
  EXPECT_NEAR(pixel(image, 8, 8)[0], 30, 4);
  EXPECT_NEAR(pixel(image, 24, 8)[0], 90, 4);
  EXPECT_NEAR(pixel(image, 8, 24)[0], 160, 4);
  EXPECT_NEAR(pixel(image, 24, 24)[0], 230, 4);
}

// A 16 x 16 CMYK JPEG of one ink colour, written the way Adobe's programs write them.
Bytes adobe_cmyk_jpeg(const std::array<std::uint8_t, 4>& stored_ink) {
  Bytes samples;
  for (int pixel = 0; pixel < 16 * 16; ++pixel)
    samples.insert(samples.end(), stored_ink.begin(), stored_ink.end());
  return testing::encode_jpeg(samples, 16, 16, 4, JCS_CMYK, 100);
}

TEST(DecodeJpeg, ConvertsAdobeCmykToRgb) {
  // Adobe stores inverted ink: 255 means no ink. No cyan, full magenta, half yellow, no black.
  auto image = decode_image(adobe_cmyk_jpeg({255, 0, 128, 255}));
  ASSERT_TRUE(image) << image.error();
  expect_near(pixel(*image, 8, 8), {255, 0, 128, 255}, 3, "cmyk");
}

TEST(DecodeWebp, LosslessKeepsEveryValue) {
  expect_every_pixel(decode_fixture("lossless.webp"), WIDTH, HEIGHT, formula_rgba);
}

TEST(DecodeWebp, LossyWithAndWithoutAlpha) {
  expect_quadrants(decode_fixture("lossy.webp"));
  expect_quadrants(decode_fixture("lossy_alpha.webp"), true);
}

// Only an image with no alpha of its own says it is opaque (and is then drawn by copying); one
// with alpha never does, even when all of it happens to be 255.
TEST(DecodeImage, SaysWhetherEveryPixelIsOpaque) {
  const std::vector<std::pair<std::string, bool>> fixtures = {
      {"quadrants.jpg", true}, {"grey.jpg", true},         {"progressive.jpg", true},
      {"rgb8.png", true},      {"grey8.png", true},        {"grey16.png", true},
      {"rgba8.png", false},    {"grey_alpha8.png", false}, {"palette.png", false},
      {"lossy.webp", true},    {"lossless.webp", false},   {"lossy_alpha.webp", false}};
  for (const auto& [name, opaque] : fixtures) {
    const RgbaImage image = decode_fixture(name);
    EXPECT_EQ(image.opaque, opaque) << name;
    if (!opaque) continue;
    for (std::size_t at = 3; at < image.pixels.size(); at += 4)
      ASSERT_EQ(image.pixels[at], 255) << name << " byte " << at;
  }
}

std::string decode_error(const Bytes& bytes) {
  auto image = decode_image(bytes);
  return image ? std::string("decoded") : image.error();
}

Bytes bytes_of(std::string_view text) {
  return {text.begin(), text.end()};
}

TEST(DecodeImage, RefusesRecognisedFormatsItDoesNotDecode) {
  EXPECT_EQ(decode_error(image_fixture("tiny.gif")), "The image format Gif is not supported");
  EXPECT_EQ(decode_error(image_fixture("tiny.bmp")), "The image format Bmp is not supported");
  using namespace std::string_view_literals;
  EXPECT_EQ(decode_error(bytes_of("II*\0\x08\0\0\0"sv)), "The image format Tiff is not supported");
  EXPECT_EQ(decode_error(bytes_of("MM\0*\0\0\0\x08"sv)), "The image format Tiff is not supported");
  EXPECT_EQ(decode_error(bytes_of("\0\0\1\0\1\0\x10\x10"sv)),
            "The image format Ico is not supported");
}

TEST(DecodeImage, UnknownDataCannotBeDetermined) {
  constexpr const char* UNKNOWN = "The image format could not be determined";
  EXPECT_EQ(decode_error({}), UNKNOWN);
  EXPECT_EQ(decode_error(bytes_of("<!DOCTYPE html><html>404</html>")), UNKNOWN);
  EXPECT_EQ(decode_error(bytes_of("RIFF\x24\0\0\0WAVEfmt ")), UNKNOWN);
  EXPECT_EQ(decode_error({0xFF, 0xD8}), UNKNOWN);  // too short to be a JPEG signature
}

TEST(DecodeImage, RefusesOversizedImagesFromTheirHeaders) {
  const std::string too_large = "The image is too large: ";
  const auto cover_error = [](const std::string& name) {
    const auto image = decode_image(image_fixture(name), COVER_LIMITS);
    return image ? std::string() : image.error();
  };
  EXPECT_EQ(cover_error("too_wide.png"),
            too_large + "16385 x 1 pixels (the limits are 16384 on a side and 4000000 in all)");
  EXPECT_TRUE(cover_error("too_many_pixels.png").starts_with(too_large + "16384 x 2442"));
  EXPECT_TRUE(cover_error("too_tall.jpg").starts_with(too_large));
  EXPECT_TRUE(cover_error("too_many_pixels.webp").starts_with(too_large + "16384 x 16384"));
  // A page is bounded by its decoded bytes instead; libwebp holds a lossless page whole, so WebP
  // pages keep the bounds.
  EXPECT_TRUE(
      decode_error(image_fixture("too_many_pixels.webp")).starts_with(too_large + "16384 x 16384"));
  EXPECT_TRUE(
      decode_error(image_fixture("too_wide.png")).starts_with("Format error decoding Png: "));

  // At the limits the header passes; these files then fail for their missing pixel data.
  EXPECT_TRUE(decode_error(image_fixture("widest.png")).starts_with("Format error decoding Png: "));
  EXPECT_TRUE(
      decode_error(image_fixture("most_pixels.png")).starts_with("Format error decoding Png: "));
}

// A file of a few hundred bytes declaring 16384 x 2441 pixels is refused from its header: its
// data could never fill them, so the 160 MB of pixels are never allocated.
constexpr std::uint8_t SOF0[] = {0xFF, 0xC0};
Bytes flat_grey_jpeg(int width, int height, bool progressive = false);

TEST(DecodeImage, TinyFilesDeclaringHugeImagesAreRefusedBeforeTheirPixels) {
  const auto refused_early = [](const Bytes& file) {
    const std::string error = decode_error(file);
    return error.find(" bytes cannot hold ") != std::string::npos ||
           error == "Format error decoding WebP: not enough data";
  };
  EXPECT_TRUE(refused_early(image_fixture("most_pixels.png")));

  // A small JPEG whose frame header is made to declare 16384 x 2441.
  Bytes jpeg = flat_grey_jpeg(16, 16);
  const auto frame = std::search(jpeg.begin(), jpeg.end(), std::begin(SOF0), std::end(SOF0));
  ASSERT_NE(frame, jpeg.end());
  const std::size_t at = static_cast<std::size_t>(frame - jpeg.begin()) + 5;  // height, width
  jpeg[at] = 2441 >> 8;
  jpeg[at + 1] = 2441 & 0xFF;
  jpeg[at + 2] = 16384 >> 8;
  jpeg[at + 3] = 16384 & 0xFF;
  EXPECT_LT(jpeg.size(), 1000u);
  EXPECT_TRUE(refused_early(jpeg)) << decode_error(jpeg);

  // A WebP cut short of the size its container declares.
  const Bytes webp = image_fixture("lossy.webp");
  EXPECT_TRUE(refused_early(Bytes(webp.begin(), webp.begin() + webp.size() / 2)));
  // Whole files still decode, the largest flat ones included.
  EXPECT_TRUE(decode_image(webp));
  EXPECT_TRUE(decode_image(flat_grey_jpeg(4000, 4000, true)));
}

const char* const DECODABLE[] = {
    "rgba8.png",        "rgb8.png",         "grey8.png",     "grey_alpha8.png", "grey1.png",
    "palette.png",      "rgba16.png",       "grey16.png",    "interlaced.png",  "quadrants.jpg",
    "progressive.jpg",  "grey.jpg",         "lossless.webp", "lossy.webp",      "lossy_alpha.webp",
    "gamma_rgba16.png", "gamma_palette.png"};

// Bytes after the last pixel data: a file cut inside them still decodes whole.
std::size_t trailer_size(std::string_view name) {
  if (name.ends_with(".png")) return 12;  // the end chunk
  if (name.ends_with(".jpg")) return 2;   // the end marker
  return 0;
}

TEST(DecodeImage, FilesCutShortOfTheirPixelDataFail) {
  for (const char* name : DECODABLE) {
    const Bytes whole = image_fixture(name);
    for (std::size_t length = 0; length + trailer_size(name) < whole.size(); ++length) {
      const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
      EXPECT_FALSE(decode_image(cut)) << name << " cut to " << length << " bytes";
    }
  }
}

// A file cut inside its pixel data and given an end marker again would show a half-grey page.
TEST(DecodeImage, JpegsCutShortAndGivenAnEndMarkerFail) {
  std::mt19937 random(7);
  Bytes noise(std::size_t{256} * 256 * 3);
  for (std::uint8_t& sample : noise)
    sample = static_cast<std::uint8_t>(random());
  for (const bool progressive : {false, true}) {
    const Bytes whole = testing::encode_jpeg(noise, 256, 256, 3, JCS_RGB, 80, progressive);
    ASSERT_TRUE(decode_image(whole));
    for (const std::size_t kept : {whole.size() / 2, whole.size() - 100}) {
      Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(kept));
      cut.push_back(0xFF);
      cut.push_back(0xD9);
      EXPECT_FALSE(decode_image(cut))
          << (progressive ? "progressive" : "baseline") << " cut to " << kept << " bytes";
    }
  }
}

TEST(DecodeImage, DamagedFilesNeverBreakTheDecoder) {
  std::mt19937 random(20240607);
  for (const char* name : DECODABLE) {
    const Bytes whole = image_fixture(name);
    for (int round = 0; round < 300; ++round) {
      Bytes damaged = whole;
      const int changes = 1 + static_cast<int>(random() % 8);
      for (int change = 0; change < changes; ++change)
        damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
      const auto image = decode_image(damaged);
      if (!image) {
        EXPECT_FALSE(image.error().empty());
        continue;
      }
      EXPECT_GT(image->width, 0u);
      EXPECT_TRUE(within_budget({image->width, image->height}, PAGE_LIMITS));
      EXPECT_EQ(image->pixels.size(), std::size_t{image->width} * image->height * 4) << name;
    }
  }
}

Bytes flat_grey_jpeg(int width, int height, bool progressive) {
  const Bytes samples(static_cast<std::size_t>(width) * height, 128);
  return testing::encode_jpeg(samples, width, height, 1, JCS_GRAYSCALE, 75, progressive);
}

TEST(DecodeJpeg, EndlessProgressiveScansAreCutShort) {
  EXPECT_EQ(decode_error(testing::with_scans(image_fixture("progressive.jpg"), 1100)),
            "Format error decoding Jpeg: Too many progressive scans (over 1000)");
}

TEST(DecodeJpeg, LargerImagesMayHaveFewerScans) {
  // Scans times pixels is bounded: a cover of 4 million pixels may have 25 scans, not 26; a page
  // as large may have more.
  const Bytes progressive = flat_grey_jpeg(2000, 2000, true);
  EXPECT_TRUE(decode_image(testing::with_scans(progressive, 25), COVER_LIMITS));
  const auto refused = decode_image(testing::with_scans(progressive, 26), COVER_LIMITS);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), "Format error decoding Jpeg: Too many progressive scans (over 25)");
  EXPECT_TRUE(decode_image(testing::with_scans(progressive, 26), PAGE_LIMITS));
}

TEST(DecodeImage, CoversHaveALowerPixelLimitThanPages) {
  const Bytes largest = flat_grey_jpeg(2000, 2000);
  const Bytes too_large = flat_grey_jpeg(2001, 2000);
  EXPECT_TRUE(decode_image(largest, COVER_LIMITS));
  EXPECT_TRUE(decode_image(too_large, PAGE_LIMITS));
  const auto refused = decode_image(too_large, COVER_LIMITS);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(),
            "The image is too large: 2001 x 2000 pixels (the limits are 16384 on a side and "
            "4000000 in all)");
}

}  // namespace
}  // namespace zentomi

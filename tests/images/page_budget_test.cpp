// Pages of any height within the decoded-pixel budget: the sizes chosen, and scaled decoding
// against decoding whole and shrinking afterwards.
#include <gtest/gtest.h>
#include <webp/encode.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "images/image_decoding.hpp"
#include "images/pixel_pool.hpp"
#include "support/jpeg_encoding.hpp"
#include "support/png_encoding.hpp"

namespace zentomi {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(PageBudget, ChoosesTheWidestSizeThatFits) {
  struct Case {
    std::uint64_t width, height;
    std::uint32_t drawn_width;
    std::uint32_t expected_width, expected_height;
  };
  const Case cases[] = {
      {720, 30000, 1280, 720, 30000},    // a strip narrower than the screen: its own size
      {1600, 8000, 1280, 1280, 6400},    // a strip wider than it is drawn: the drawn width
      {1600, 2400, 1280, 1600, 2400},    // not a strip: zoomed, it is drawn wider than the screen
      {1600, 40000, 1280, 1003, 25075},  // too large at the drawn width: narrower, to fit
      {720, 60000, 1024, 549, 45750},
      {6000, 6000, 1280, 5016, 5016},  // a page too large at its own size
      {720, 30000, 0, 720, 30000},
  };
  for (const Case& c : cases) {
    const auto size = decoded_size(c.width, c.height, page_limits(c.drawn_width));
    ASSERT_TRUE(size) << c.width << " x " << c.height << ": " << size.error();
    EXPECT_EQ(size->width, c.expected_width) << c.width << " x " << c.height;
    EXPECT_EQ(size->height, c.expected_height) << c.width << " x " << c.height;
    EXPECT_TRUE(within_budget(*size, PAGE_LIMITS));
  }
}

TEST(PageBudget, RefusesOnlyWhatFitsAtNoUsableWidth) {
  const std::string refused = "The image is too large: ";
  for (const auto& [width, height] : std::vector<std::pair<std::uint64_t, std::uint64_t>>{
           {65536, 1}, {20000, 2'000'000}, {720, 100'000'000}}) {
    const auto size = decoded_size(width, height, PAGE_LIMITS);
    ASSERT_FALSE(size) << width << " x " << height;
    EXPECT_TRUE(size.error().starts_with(refused + std::to_string(width) + " x ")) << size.error();
  }
  // At an eighth of its width a 720 x 1,000,000 strip still fits.
  EXPECT_EQ(decoded_size(720, 1'000'000, PAGE_LIMITS)->width, 134u);
  // Covers keep their side and pixel bounds.
  EXPECT_FALSE(decoded_size(720, 30000, COVER_LIMITS));
}

Bytes grey_jpeg(int width, int height) {
  return testing::encode_jpeg(Bytes(static_cast<std::size_t>(width) * height, 90), width, height, 1,
                              JCS_GRAYSCALE, 75);
}

TEST(PageBudget, TheLargestStripsAreRead) {
  struct Case {
    int width, height;
    std::uint32_t drawn_width;
    std::uint32_t expected_width;
  };
  // JPEG scales by eighths: the first at or above the width wanted, smaller while over budget.
  for (const Case& c : {Case{720, 30000, 1280, 720}, Case{1600, 40000, 1280, 1000},
                        Case{720, 60000, 1280, 540}, Case{1600, 8000, 1280, 1400}}) {
    const auto image = decode_image(grey_jpeg(c.width, c.height), page_limits(c.drawn_width));
    ASSERT_TRUE(image) << c.width << " x " << c.height << ": " << image.error();
    EXPECT_EQ(image->width, c.expected_width) << c.width << " x " << c.height;
    EXPECT_EQ(image->own_width(), static_cast<std::uint32_t>(c.width));
    EXPECT_EQ(image->own_height(), static_cast<std::uint32_t>(c.height));
    EXPECT_TRUE(within_budget({image->width, image->height}, PAGE_LIMITS));
  }
}

// A smooth picture, so that filtering differences stay small.
Bytes gradient(int width, int height) {
  Bytes rgba(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      pixel[0] = static_cast<std::uint8_t>(x * 255 / width);
      pixel[1] = static_cast<std::uint8_t>(y * 255 / height);
      pixel[2] = static_cast<std::uint8_t>((x + y) * 127 / (width + height));
      pixel[3] = 255;
    }
  }
  return rgba;
}

Bytes rgb_of(const Bytes& rgba) {
  Bytes rgb;
  for (std::size_t k = 0; k < rgba.size(); k += 4)
    rgb.insert(rgb.end(), rgba.begin() + static_cast<std::ptrdiff_t>(k),
               rgba.begin() + static_cast<std::ptrdiff_t>(k) + 3);
  return rgb;
}

Bytes lossless_webp(const Bytes& rgba, int width, int height) {
  std::uint8_t* output = nullptr;
  const std::size_t size = WebPEncodeLosslessRGBA(rgba.data(), width, height, width * 4, &output);
  Bytes file(output, output + size);
  WebPFree(output);
  return file;
}

// The whole picture shrunk by averaging boxes, the reference for the scaled decodings.
RgbaImage shrink(const RgbaImage& whole, std::uint32_t width, std::uint32_t height) {
  RgbaImage small;
  small.width = width;
  small.height = height;
  small.pixels.resize(std::size_t{width} * height * 4);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint32_t top = y * whole.height / height, bottom = (y + 1) * whole.height / height;
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint32_t left = x * whole.width / width, right = (x + 1) * whole.width / width;
      for (int channel = 0; channel < 4; ++channel) {
        unsigned sum = 0;
        for (std::uint32_t sy = top; sy < bottom; ++sy)
          for (std::uint32_t sx = left; sx < right; ++sx)
            sum += whole.pixels[(std::size_t{sy} * whole.width + sx) * 4 + channel];
        const unsigned count = (bottom - top) * (right - left);
        small.pixels[(std::size_t{y} * width + x) * 4 + channel] =
            static_cast<std::uint8_t>((sum + count / 2) / count);
      }
    }
  }
  return small;
}

TEST(PageBudget, ScaledDecodingMatchesDecodingWholeThenShrinking) {
  constexpr int WIDTH = 160;
  constexpr int HEIGHT = 1600;
  const Bytes rgba = gradient(WIDTH, HEIGHT);
  struct Case {
    std::string name;
    Bytes file;
    int tolerance;
  };
  // JPEG's scaled inverse transform and libwebp's rescaler filter a little differently from a
  // plain box; the shrinking of PNG rows is a plain box.
  const Case cases[] = {
      {"jpeg", testing::encode_jpeg(rgb_of(rgba), WIDTH, HEIGHT, 3, JCS_RGB, 95), 2},
      {"png", testing::encode_png(rgba, WIDTH, HEIGHT), 0},
      {"webp", lossless_webp(rgba, WIDTH, HEIGHT), 1},
  };
  for (const Case& c : cases) {
    const auto whole = decode_image(c.file, PAGE_LIMITS);
    const auto scaled = decode_image(c.file, page_limits(WIDTH / 2));
    ASSERT_TRUE(whole && scaled) << c.name;
    ASSERT_EQ(scaled->width, WIDTH / 2u) << c.name;
    ASSERT_EQ(scaled->height, HEIGHT / 2u) << c.name;
    EXPECT_EQ(scaled->own_width(), static_cast<std::uint32_t>(WIDTH)) << c.name;
    const RgbaImage expected = shrink(*whole, scaled->width, scaled->height);
    int worst = 0;
    for (std::size_t k = 0; k < expected.pixels.size(); ++k)
      worst = std::max(worst, std::abs(int{expected.pixels[k]} - int{scaled->pixels[k]}));
    EXPECT_LE(worst, c.tolerance) << c.name;
  }
}

TEST(PixelPool, ALetGoPageLendsItsMemoryToTheNext) {
  pixel_pool::clear();
  constexpr std::size_t PAGE = std::size_t{8} << 20;
  RgbaImage page;
  page.pixels = pixel_pool::take(PAGE);
  const std::uint8_t* memory = page.pixels.data();
  SharedImage shown = pixel_pool::share(std::move(page));
  shown.reset();  // scrolled past
  const PixelBuffer lent = pixel_pool::take(PAGE - 4096);
  EXPECT_EQ(lent.data(), memory);
  // Taken, it is no longer lent; nor is memory much larger than asked for.
  EXPECT_NE(pixel_pool::take(PAGE).data(), memory);
  pixel_pool::give_back(pixel_pool::take(PAGE));
  const PixelBuffer small = pixel_pool::take(PAGE / 4);
  EXPECT_EQ(small.size(), PAGE / 4);
  EXPECT_LT(small.capacity(), PAGE);
}

}  // namespace
}  // namespace zentomi

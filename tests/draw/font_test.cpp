#include "draw/font.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "draw/embedded_font.hpp"
#include "support/files.hpp"
#include "unicode/utf8.hpp"

namespace zentomi {
namespace {

constexpr std::string_view VIETNAMESE_LETTERS =
    "aàáảãạăằắẳẵặâầấẩẫậeèéẻẽẹêềếểễệiìíỉĩịoòóỏõọôồốổỗộơờớởỡợuùúủũụưừứửữựyỳýỷỹỵđ"
    "AÀÁẢÃẠĂẰẮẲẴẶÂẦẤẨẪẬEÈÉẺẼẸÊỀẾỂỄỆIÌÍỈĨỊOÒÓỎÕỌÔỒỐỔỖỘƠỜỚỞỠỢUÙÚỦŨỤƯỪỨỬỮỰYỲÝỶỸỴĐ";

std::vector<char32_t> code_points(std::string_view text) {
  std::vector<char32_t> result;
  for (std::size_t position = 0; position < text.size();)
    result.push_back(unicode::decode_next(text, position));
  return result;
}

TEST(EmbeddedFont, IsTheCommittedDejaVuSansBoldFileByteForByte) {
  const std::string file =
      testing::read_file(testing::source_dir() / "src/draw/DejaVuSans-Bold.ttf");
  const std::span<const std::uint8_t> embedded = embedded_font_bytes();
  ASSERT_EQ(embedded.size(), 708'920u);
  ASSERT_EQ(file.size(), 708'920u);
  EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), file.begin(),
                         [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
}

// The code points of every text file under `folder` (source, pages of the demo site, scripts).
std::set<char32_t> code_points_of_texts(const std::filesystem::path& folder) {
  std::set<char32_t> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const std::string text = testing::read_file(entry.path());
    if (text.find('\0') != std::string::npos) continue;  // images and fonts
    for (char32_t c : code_points(text))
      found.insert(c);
  }
  return found;
}

// The first and last code points of each line of fallback_code_points.txt.
std::vector<std::pair<char32_t, char32_t>> kept_ranges() {
  std::vector<std::pair<char32_t, char32_t>> ranges;
  std::istringstream lines(
      testing::read_file(testing::source_dir() / "src/draw/fallback_code_points.txt"));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t dash = line.find('-');
    ranges.emplace_back(std::stoul(line.substr(0, dash), nullptr, 16),
                        std::stoul(line.substr(dash + 1), nullptr, 16));
  }
  return ranges;
}

TEST(EmbeddedFont, TheCutFallbackDrawsEveryTextOfTheProgramAndTheDemoAsTheWholeFontDoes) {
  const std::string whole_fallback =
      testing::read_file(testing::source_dir() / "src/draw/Symbola.ttf");
  ASSERT_EQ(whole_fallback.size(), 3'165'808u);
  auto whole = Font::load(
      embedded_font_bytes(),
      {reinterpret_cast<const std::uint8_t*>(whole_fallback.data()), whole_fallback.size()}, 0);
  auto cut = Font::load_embedded(0);
  ASSERT_TRUE(whole.has_value() && cut.has_value());
  EXPECT_LT(embedded_fallback_font_bytes().size(), whole_fallback.size() / 2);

  std::set<char32_t> texts = code_points_of_texts(testing::source_dir() / "src");
  texts.merge(code_points_of_texts(testing::source_dir() / "tools/demo-site"));
  ASSERT_TRUE(texts.contains(U'\U0001F680') && texts.contains(U'ệ'));
  std::set<char32_t> kept;
  for (const auto& [first, last] : kept_ranges())
    for (char32_t c = first; c <= last; ++c)
      kept.insert(c);
  ASSERT_TRUE(kept.contains(U'\U0001F600'));

  const auto check = [&](char32_t c, float size) {
    const std::uint32_t whole_glyph = whole->glyph_index(c);
    const std::uint32_t cut_glyph = cut->glyph_index(c);
    // Nothing the whole font draws becomes the missing-glyph box, nor the other way round.
    EXPECT_EQ(whole_glyph == 0, cut_glyph == 0) << "U+" << std::hex << +c;
    const Glyph& expected = whole->glyph(whole_glyph, size);
    const Glyph expected_copy = expected;
    const Glyph& drawn = cut->glyph(cut_glyph, size);
    EXPECT_TRUE(drawn.left == expected_copy.left && drawn.top == expected_copy.top &&
                drawn.width == expected_copy.width && drawn.height == expected_copy.height &&
                drawn.advance == expected_copy.advance && drawn.coverage == expected_copy.coverage)
        << "U+" << std::hex << +c << " at " << size;
  };
  for (float size : {13.0f, 22.5f})
    for (char32_t c : texts)
      check(c, size);
  for (char32_t c : kept)
    check(c, 18.0f);
  for (float size : {13.0f, 40.0f})
    EXPECT_EQ(cut->left_overhang(size), whole->left_overhang(size));
}

TEST(EmbeddedFont, CoversVietnameseAndTheScreensSymbolsAndThePictographsFromTheFallback) {
  auto main_only = Font::load(embedded_font_bytes());
  auto font = Font::load_embedded();
  ASSERT_TRUE(font.has_value()) << font.error();
  ASSERT_TRUE(main_only.has_value());
  EXPECT_EQ(font->glyph_count(), 6196u);
  const std::vector<char32_t> letters = code_points(VIETNAMESE_LETTERS);
  EXPECT_EQ(letters.size(), 2u * 73u);  // 12 vowels with 6 tone forms each, and đ
  for (char32_t letter : letters)
    EXPECT_EQ(font->glyph_index(letter), main_only->glyph_index(letter)) << "U+" << +letter;
  for (char32_t symbol : code_points("★☆▶◀▲▼•➔\uFFFD")) {
    EXPECT_NE(font->glyph_index(symbol), 0u) << "U+" << +symbol;
    EXPECT_EQ(font->glyph_index(symbol), main_only->glyph_index(symbol)) << "U+" << +symbol;
  }
  // The main font lacks these; the fallback draws them.
  for (char32_t pictograph : code_points("⏮🚀🔄✨❌✅👁")) {
    EXPECT_EQ(main_only->glyph_index(pictograph), 0u) << "U+" << +pictograph;
    EXPECT_NE(font->glyph_index(pictograph), 0u) << "U+" << +pictograph;
  }
  // A code point neither font has is still the main font's missing-glyph shape.
  EXPECT_EQ(font->glyph_index(U'\U0010FFFD'), 0u);
}

TEST(EmbeddedFont, AFallbackGlyphIsItsOwnOutlineAndEveryMainGlyphIsUnchanged) {
  auto main_only = Font::load(embedded_font_bytes(), 0);
  auto font = Font::load_embedded(0);
  ASSERT_TRUE(font.has_value() && main_only.has_value());
  const auto same = [](const Glyph& a, const Glyph& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height &&
           a.advance == b.advance && a.coverage == b.coverage;
  };
  for (float size : {11.5f, 13.0f, 24.0f}) {
    for (char32_t c : code_points("ZENTOMI Truyện ★▶•➔")) {
      const Glyph expected = main_only->glyph(main_only->glyph_index(c), size);
      EXPECT_TRUE(same(font->glyph(font->glyph_index(c), size), expected)) << "U+" << +c;
    }
    const Glyph box = main_only->glyph(0, size);
    for (char32_t c : code_points("✨👁⏮")) {
      const Glyph& drawn = font->glyph(font->glyph_index(c), size);
      EXPECT_FALSE(drawn.coverage.empty()) << "U+" << +c;
      EXPECT_FALSE(same(drawn, box)) << "U+" << +c << " is drawn as the missing-glyph box";
      EXPECT_EQ(drawn.advance, font->advance(font->glyph_index(c), size));
    }
  }
}

TEST(FontLoading, AFontThatDoesNotParseGivesTheFatalMessageWithTheParsersError) {
  const std::vector<std::uint8_t> junk(4096, 0x5A);
  auto font = Font::load(junk);
  ASSERT_FALSE(font.has_value());
  EXPECT_EQ(font.error(), "Failed to load embedded font: unknown file format");

  const std::span<const std::uint8_t> embedded = embedded_font_bytes();
  const std::vector<std::uint8_t> truncated(embedded.begin(), embedded.begin() + 1000);
  auto cut = Font::load(truncated);
  ASSERT_FALSE(cut.has_value());
  EXPECT_TRUE(cut.error().starts_with("Failed to load embedded font: ")) << cut.error();
  EXPECT_GT(cut.error().size(), std::string("Failed to load embedded font: ").size());
}

TEST(FontMetrics, AdvancesScaleWithFractionalSizesAndMatchTheRasterisedGlyph) {
  auto font = Font::load_embedded();
  ASSERT_TRUE(font.has_value());
  for (char32_t code_point : code_points("Truyện ★▶•➔\uFFFDW")) {
    const std::uint32_t glyph = font->glyph_index(code_point);
    const float at_12 = font->advance(glyph, 12.0f);
    const float at_12_5 = font->advance(glyph, 12.5f);
    EXPECT_FLOAT_EQ(at_12_5, at_12 * 12.5f / 12.0f) << "U+" << +code_point;
    for (float size : {10.0f, 11.5f, 12.5f, 17.5f, 24.0f})
      EXPECT_EQ(font->glyph(glyph, size).advance, font->advance(glyph, size));
  }
  // Unusable sizes measure and draw nothing.
  const std::uint32_t w = font->glyph_index(U'W');
  EXPECT_EQ(font->advance(w, 0.0f), 0.0f);
  EXPECT_EQ(font->advance(w, -3.0f), 0.0f);
  EXPECT_TRUE(font->glyph(w, -3.0f).coverage.empty());
  EXPECT_TRUE(font->glyph(w, 1e30f).coverage.empty());
}

TEST(FontMetrics, OutlinesScaleAtFractionalSizes) {
  auto font = Font::load_embedded(0);
  ASSERT_TRUE(font.has_value());
  const std::uint32_t w = font->glyph_index(U'W');
  const auto ink = [&](float size) {
    const Glyph& glyph = font->glyph(w, size);
    long total = 0;
    for (std::uint8_t value : glyph.coverage)
      total += value;
    return total;
  };
  // A rasteriser that rounded the size to whole pixels would draw 200.5 like 200 or 201.
  EXPECT_LT(ink(200.0f), ink(200.5f));
  EXPECT_LT(ink(200.5f), ink(201.0f));
}

}  // namespace
}  // namespace zentomi

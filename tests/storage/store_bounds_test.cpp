#include "storage/store_bounds.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/store_json.hpp"

namespace zentomi {
namespace {

// Texts whose written form differs most from their bytes.
const std::vector<std::string> HOSTILE_TEXTS = {
    "",
    "plain",
    std::string("\x01\x1f\x7f\0 nul", 8),
    "\"quoted\" \\ back\b\f\n\r\t",
    "Tiếng Việt 😀",
    "\xff\xfe ill \xc3 formed \xe1\xbb",
    std::string(300, '\x02'),
};

TEST(StoreBoundsTest, WrittenSizesAreTheRenderedSizes) {
  EXPECT_EQ(render_history_json({}).size(), STORE_FRAME_BYTES);
  EXPECT_EQ(render_favorites_json({}).size(), STORE_FRAME_BYTES);
  HistoryMap history;
  FavoritesList favorites;
  std::uint64_t history_bytes = STORE_FRAME_BYTES;
  std::uint64_t favorite_bytes = STORE_FRAME_BYTES;
  std::uint64_t number = 0;
  for (const std::string& text : HOSTILE_TEXTS) {
    const std::string key = text + std::to_string(number);
    const MangaHistory record{text, text + "t", text, "", number, ~number, number * 1000003};
    const MangaItem item{text, "u" + text, text, text, text};
    EXPECT_EQ(render_history_json({{key, record}}).size(),
              STORE_FRAME_BYTES + written_history_entry_bytes(key, record))
        << "history entry " << number;
    EXPECT_EQ(render_favorites_json({item}).size(),
              STORE_FRAME_BYTES + written_favorite_bytes(item))
        << "favourite " << number;
    history.emplace(key, record);
    history_bytes += written_history_entry_bytes(key, record);
    favorites.push_back(item);
    favorite_bytes += written_favorite_bytes(item);
    ++number;
  }
  EXPECT_EQ(render_history_json(history).size(), history_bytes);
  EXPECT_EQ(render_favorites_json(favorites).size(), favorite_bytes);
}

TEST(StoreBoundsTest, TextsAreCutAtAWholeCharacter) {
  const std::size_t cap = MAX_STORED_TEXT_BYTES;
  const struct {
    std::string text;
    std::size_t kept;
  } cases[] = {
      {std::string(cap, 'a'), cap},
      {std::string(cap + 1, 'a'), cap},
      {std::string(cap - 1, 'a') + "ệ", cap - 1},  // three bytes across the cut
      {std::string(cap - 2, 'a') + "😀", cap - 2},  // four bytes across the cut
      {std::string(cap - 3, 'a') + "ệb", cap},     // ends exactly at the cut
      {std::string(cap + 10, '\x80'), cap},        // no character start to go back to
      {std::string(cap - 1, 'a') + "\xc3\x80\x80\x80", cap - 1},
  };
  for (const auto& [text, kept] : cases) {
    EXPECT_EQ(cap_stored_text(text), text.substr(0, kept)) << text.size();
  }
}

TEST(StoreBoundsTest, HistoryKeepsTheMostRecentlyReadTitlesThatFit) {
  HistoryMap history;
  for (std::uint64_t i = 0; i < MAX_HISTORY_TITLES + 5; ++i) {
    const std::string url = "https://x/truyen/" + std::to_string(i);
    history.emplace(url, MangaHistory{url, "t", "c", "cu", 0, 1, 1000 + i});
  }
  const HistoryMap bounded = bound_history(history, std::uint64_t{1} << 30);
  EXPECT_EQ(bounded.size(), MAX_HISTORY_TITLES);
  for (std::uint64_t i = 0; i < 5; ++i)
    EXPECT_FALSE(bounded.contains("https://x/truyen/" + std::to_string(i))) << i;
  EXPECT_TRUE(bounded.contains("https://x/truyen/5"));

  // A budget of three entries keeps the newest three.
  const MangaHistory& newest = history.at("https://x/truyen/2004");
  const std::uint64_t entry = written_history_entry_bytes("https://x/truyen/2004", newest);
  const HistoryMap three = bound_history(history, STORE_FRAME_BYTES + 3 * entry);
  EXPECT_EQ(three.size(), 3u);
  EXPECT_TRUE(three.contains("https://x/truyen/2002"));

  // Two addresses that differ only past the cap become one title: the newer one stays.
  const std::string long_url(MAX_STORED_TEXT_BYTES + 5, 'u');
  const HistoryMap merged =
      bound_history({{long_url + "1", {long_url + "1", "old", "c", "cu", 0, 1, 5}},
                     {long_url + "2", {long_url + "2", "new", "c", "cu", 0, 1, 6}}},
                    std::uint64_t{1} << 30);
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_EQ(merged.begin()->first, cap_stored_text(long_url));
  EXPECT_EQ(merged.begin()->second.manga_title, "new");
}

TEST(StoreBoundsTest, FavouritesDropTheOldestPastTheBudget) {
  FavoritesList favorites;
  for (int i = 0; i < 5; ++i)
    favorites.push_back(
        {std::string(3 * MAX_STORED_TEXT_BYTES, 't'), std::to_string(i), "", "", ""});
  const std::uint64_t each =
      written_favorite_bytes({std::string(MAX_STORED_TEXT_BYTES, 't'), "0", "", "", ""});
  const FavoritesList bounded = bound_favorites(favorites, STORE_FRAME_BYTES + 2 * each + each / 2);
  ASSERT_EQ(bounded.size(), 2u);
  EXPECT_EQ(bounded[0].url, "0");
  EXPECT_EQ(bounded[1].url, "1");
  EXPECT_EQ(bounded[1].title.size(), MAX_STORED_TEXT_BYTES);
}

TEST(StoreBoundsTest, AtMostTwoSetAsideCopiesRemain) {
  const std::vector<std::string> names = {"history.json",
                                          "history.json.corrupt-100",
                                          "history.json.corrupt-300-2",
                                          "history.json.corrupt-300",
                                          "history.json.corrupt-20",
                                          "history.json.corrupt-x",
                                          "favorites.json.corrupt-1",
                                          "history.json.bak",
                                          "history.json.corrupt-300-10"};
  EXPECT_EQ(surplus_set_aside_copies("history.json", "history.json.corrupt-20", names),
            (std::vector<std::string>{"history.json.corrupt-100", "history.json.corrupt-300",
                                      "history.json.corrupt-300-2"}))
      << "the copy just made stays even when its clock was behind";
  EXPECT_TRUE(surplus_set_aside_copies("history.json", "history.json.corrupt-5",
                                       {"history.json.corrupt-4", "history.json.corrupt-5"})
                  .empty());
}

}  // namespace
}  // namespace zentomi

#include "storage/store_json.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zentomi {
namespace {

using namespace std::string_literals;

const MangaItem VIETNAMESE{"Đại Quản Gia Là Ma Hoàng",
                           "https://nettruyenvia.com/truyen-tranh/dai-quan-gia",
                           "https://cdn.example/covers/dai-quan-gia.jpg", "Chương 512", "1.2K"};
// Quotes, backslashes, every escaped control character, one unescaped DEL and a NUL.
const MangaItem AWKWARD{"Say \"hi\" \\ back\\slash", "https://x/a?b=1&c=/d",
                        "tab\tnl\ncr\rbs\bff\f", "\x01\x1f\x7f"s, "nul:\0!"s};

const std::string FAVORITES_TEXT =
    "[\n"
    "  {\n"
    "    \"title\": \"Đại Quản Gia Là Ma Hoàng\",\n"
    "    \"url\": \"https://nettruyenvia.com/truyen-tranh/dai-quan-gia\",\n"
    "    \"thumb_url\": \"https://cdn.example/covers/dai-quan-gia.jpg\",\n"
    "    \"latest_chapter\": \"Chương 512\",\n"
    "    \"views\": \"1.2K\"\n"
    "  },\n"
    "  {\n"
    "    \"title\": \"Say \\\"hi\\\" \\\\ back\\\\slash\",\n"
    "    \"url\": \"https://x/a?b=1&c=/d\",\n"
    "    \"thumb_url\": \"tab\\tnl\\ncr\\rbs\\bff\\f\",\n"
    "    \"latest_chapter\": \"\\u0001\\u001f\x7f\",\n"
    "    \"views\": \"nul:\\u0000!\"\n"
    "  }\n"
    "]";

const MangaHistory HISTORY_RECORD{"https://nettruyenvia.com/truyen-tranh/dao-hai-tac",
                                  "Đảo Hải Tặc \"One Piece\"",
                                  "Chương 1100\n",
                                  "c:\\chapter\x1b",
                                  18446744073709551615u,
                                  0,
                                  1700000000};

const std::string HISTORY_TEXT =
    "{\n"
    "  \"https://nettruyenvia.com/truyen-tranh/dao-hai-tac\": {\n"
    "    \"manga_url\": \"https://nettruyenvia.com/truyen-tranh/dao-hai-tac\",\n"
    "    \"manga_title\": \"Đảo Hải Tặc \\\"One Piece\\\"\",\n"
    "    \"last_chapter_title\": \"Chương 1100\\n\",\n"
    "    \"last_chapter_url\": \"c:\\\\chapter\\u001b\",\n"
    "    \"last_page_idx\": 18446744073709551615,\n"
    "    \"total_pages\": 0,\n"
    "    \"timestamp\": 1700000000\n"
    "  }\n"
    "}";

const std::string VALID_HISTORY_RECORD =
    R"({"manga_url": "u", "manga_title": "t", "last_chapter_title": "c", )"
    R"("last_chapter_url": "cu", "last_page_idx": 3, "total_pages": 10, "timestamp": 5})";

TEST(StoreWrittenForm, FavoritesByteForByte) {
  const FavoritesList favorites{VIETNAMESE, AWKWARD};
  EXPECT_EQ(render_favorites_json(favorites), FAVORITES_TEXT);
  EXPECT_EQ(parse_favorites_json(FAVORITES_TEXT), favorites);
}

TEST(StoreWrittenForm, HistoryByteForByte) {
  const HistoryMap history{{HISTORY_RECORD.manga_url, HISTORY_RECORD}};
  EXPECT_EQ(render_history_json(history), HISTORY_TEXT);
  EXPECT_EQ(parse_history_json(HISTORY_TEXT), history);
}

TEST(StoreWrittenForm, EmptyStoresAreTwoCharacters) {
  EXPECT_EQ(render_favorites_json({}), "[]");
  EXPECT_EQ(render_history_json({}), "{}");
  EXPECT_EQ(parse_favorites_json("[]"), FavoritesList{});
  EXPECT_EQ(parse_history_json("{}"), HistoryMap{});
}

TEST(StoreWrittenForm, ManyHistoryEntriesRoundTrip) {
  HistoryMap history;
  for (int index = 0; index < 300; ++index) {
    const std::string url = "https://x/truyen/" + std::to_string(index);
    history[url] = MangaHistory{url,
                                "Tên " + std::to_string(index),
                                "Chương",
                                url + "/c",
                                static_cast<std::uint64_t>(index),
                                40,
                                1700000000u + index};
  }
  const std::string text = render_history_json(history);
  EXPECT_EQ(parse_history_json(text), history);
  EXPECT_TRUE(text.ends_with("\n  }\n}"));
}

TEST(StoreWrittenForm, IllFormedTextIsReplacedNotFatal) {
  MangaItem item = VIETNAMESE;
  item.title =
      "A\xFF"
      "B\xE1\xBA";  // a stray byte and a truncated sequence
  std::string text;
  ASSERT_NO_THROW(text = render_favorites_json({item}));
  const auto parsed = parse_favorites_json(text);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->at(0).title, "A\uFFFDB\uFFFD");

  HistoryMap history{{"key\xC0", HISTORY_RECORD}};
  ASSERT_NO_THROW(text = render_history_json(history));
  const auto history_parsed = parse_history_json(text);
  ASSERT_TRUE(history_parsed);
  EXPECT_TRUE(history_parsed->contains("key\uFFFD"));
}

TEST(StoreParsing, AcceptsEveryAllowedVariation) {
  // Any member order, unknown members with any value (even repeated), white space around, the
  // largest integer, escapes of every kind.
  const std::string text =
      " \r\n\t[{\"views\": \"9\", \"note\": {\"deep\": [1, -2.5e3, null, true, {\"x\": []}]},\n"
      "  \"latest_chapter\": \"\\u0043h\\u01b0\\u01a1ng \\ud83d\\ude00\", \"url\": \"u\\/v\",\n"
      "  \"note\": \"again\", \"thumb_url\": \"\", \"title\": \"T\"}]\n\t ";
  const auto favorites = parse_favorites_json(text);
  ASSERT_TRUE(favorites);
  EXPECT_EQ(*favorites, (FavoritesList{{"T", "u/v", "", "Chương 😀", "9"}}));
}

TEST(StoreParsing, UnknownMembersMayHoldValuesNoDoubleOrUtf8CanCarry) {
  // Grammatical JSON all the same: numbers past the range of a double, unpaired surrogates, in
  // values, in names and deep inside; each one is skipped with its member.
  const std::string huge_integer(400, '7');
  const std::vector<std::string> notes{
      R"("note": 1e400)",
      R"("note": -1.5E+309)",
      "\"note\": " + huge_integer,
      R"("note": "\ud800")",
      R"("note": "a\udc00\ud83d\ude00")",
      R"("note": "\ud83d\u0041")",
      R"("\ud800": 1)",
      R"("note": {"\udfff": [1e400, "\ud800", )" + huge_integer + "]}",
  };
  const std::string record =
      R"("title": "T", "url": "u", "thumb_url": "", "latest_chapter": "c", "views": "9")";
  for (const std::string& note : notes) {
    EXPECT_EQ(parse_favorites_json("[{" + note + ", " + record + ", " + note + "}]"),
              (FavoritesList{{"T", "u", "", "c", "9"}}))
        << note;
  }
  const auto history =
      parse_history_json("{\"k\": {\"note\": 1e999, " + VALID_HISTORY_RECORD.substr(1) + "}");
  ASSERT_TRUE(history);
  EXPECT_EQ(history->at("k").manga_url, "u");

  // Known members, the store's own keys and the grammar keep their rules.
  const std::vector<std::string> invalid{
      R"([{"title": 1e400, "url": "u", "thumb_url": "", "latest_chapter": "c", "views": "9"}])",
      R"([{"title": "\ud800", "url": "u", "thumb_url": "", "latest_chapter": "c", "views": "9"}])",
      R"([["\ud800", "u", "", "c", "9"]])",
      R"([{"note": 01e400, )" + record + "}]",
      R"([{"note": 1e400x, )" + record + "}]",
      R"([{"note": 1e, )" + record + "}]",
      R"([{"note": "\ud800, )" + record + "}]",
      R"([{"note": "\ud800"]"], )" + record + "}]",
      R"([1e400])",
      R"(["\ud800"])",
  };
  for (const std::string& text : invalid) {
    EXPECT_FALSE(parse_favorites_json(text)) << text;
  }
  for (const std::string& large : {huge_integer, "1e400"s}) {
    std::string record_with = VALID_HISTORY_RECORD;
    const std::string pages = "\"total_pages\": 10";
    record_with.replace(record_with.find(pages), pages.size(), "\"total_pages\": " + large);
    EXPECT_FALSE(parse_history_json("{\"k\": " + record_with + "}")) << large;
  }
  EXPECT_FALSE(parse_history_json("{\"k\": " + VALID_HISTORY_RECORD +
                                  ", \"\\ud800\": " + VALID_HISTORY_RECORD + "}"));
}

TEST(StoreParsing, UnknownMembersAreSkippedButStillFollowTheGrammar) {
  // A broken value fails the store even in a member that is skipped; its fixed twin, grammatical
  // though no record could hold it, is skipped. Broken: a high surrogate's escape followed by a
  // broken escape, a broken escape or a raw tab after a lone surrogate, a token run on after such
  // a string or after a number past the range of a double. The raw strings hold the JSON text as
  // it is: each backslash in them is one backslash of the document.
  struct Case {
    std::string broken;
    std::string fixed;
  };
  const std::vector<Case> cases{
      {R"("\uD800\u")", R"("\uD800\u0041")"},
      {R"("\uD800\u1")", R"("\uD800\u1234")"},
      {R"("\uD800\u1x")", R"("\uD800\u12ab")"},
      {R"("\uD834\uDd")", R"("\uD834\uDd1e")"},
      {R"("\uD800\uD800\x")", R"("\uD800\uD800\n")"},
      {R"("\udc00\q")", R"("\udc00\"")"},
      {"\"\\ud800\t\"", R"("\ud800\t")"},
      {R"("\ud800"5)", R"("\ud800")"},
      {R"("\ud800".5)", R"("\ud800")"},
      {R"("\ud800"e5)", R"("\ud800")"},
      {R"(1e400.5)", R"(1e400)"},
      {R"(1e4001e5)", R"(1e4001)"},
  };
  // Complete records, so that only the unknown member "zzz" can make them fail.
  const std::string items =
      R"("title": "T", "url": "u", "thumb_url": "", "latest_chapter": "c", "views": "9")";
  const std::string history = VALID_HISTORY_RECORD.substr(1, VALID_HISTORY_RECORD.size() - 2);
  for (const Case& note : cases) {
    for (const std::string* value : {&note.broken, &note.fixed}) {
      const bool valid = value == &note.fixed;
      const std::vector<std::string> favorites{
          "[{" + items + ", \"zzz\": " + *value + "}]",
          "[{\"zzz\": " + *value + ", " + items + "}]",
          "[{\"zzz\": {\"deep\": [" + *value + "]}, " + items + "}]",
      };
      for (const std::string& text : favorites) {
        EXPECT_EQ(parse_favorites_json(text).has_value(), valid) << text;
      }
      const std::string text = "{\"k\": {" + history + ", \"zzz\": " + *value + "}}";
      EXPECT_EQ(parse_history_json(text).has_value(), valid) << text;
    }
  }
}

TEST(StoreParsing, RecordsMayBePositionalArrays) {
  EXPECT_EQ(parse_favorites_json(R"([["t", "u", "th", "lc", "v"]])"),
            (FavoritesList{{"t", "u", "th", "lc", "v"}}));
  EXPECT_EQ(parse_history_json(R"({"k": ["u", "t", "c", "cu", 3, 10, 5]})"),
            (HistoryMap{{"k", {"u", "t", "c", "cu", 3, 10, 5}}}));
}

TEST(StoreParsing, LaterDuplicateHistoryKeyWins) {
  const auto history = parse_history_json(
      R"({"k": ["a", "t", "c", "cu", 1, 10, 5], "k": ["b", "t", "c", "cu", 2, 10, 6]})");
  ASSERT_TRUE(history);
  ASSERT_EQ(history->size(), 1u);
  EXPECT_EQ(history->at("k").manga_url, "b");
  EXPECT_EQ(history->at("k").last_page_idx, 2u);
}

TEST(StoreParsing, LookupKeyIsTheMemberNameNotTheRecordUrl) {
  const auto history = parse_history_json("{\"other\": " + VALID_HISTORY_RECORD + "}");
  ASSERT_TRUE(history);
  EXPECT_TRUE(history->contains("other"));
  EXPECT_EQ(history->at("other").manga_url, "u");
}

// Each of these makes the whole history unusable.
TEST(StoreParsing, InvalidHistoryDocuments) {
  const std::string record = VALID_HISTORY_RECORD;
  const auto with = [&](const std::string& from, const std::string& to) {
    std::string changed = record;
    changed.replace(changed.find(from), from.size(), to);
    return "{\"k\": " + changed + "}";
  };
  const std::vector<std::string> invalid{
      "",
      " \n\t\r ",
      "[]",
      "null",
      "\"text\"",
      "42",
      "{} x",
      "{}}",
      "{},",
      "{}\n{}",
      "{} /* comment */",
      "/* comment */ {}",
      "\xEF\xBB\xBF{}",             // a byte-order mark
      "{\"k\": \"\xFF\"}",          // not UTF-8
      "{}\xC3",                     // not UTF-8 after the document
      "{}"s + '\0',                 // anything after the document
      "{}"s + '\0' + "{\"k\": 1}",  // reading does not stop at a NUL
      "{'k': 1}",
      "{\"k\": 5}",  // a record that is not a container
      "{\"k\": null}",
      "{\"k\": " + record + ",}",
      with(", \"timestamp\": 5", ""),  // missing member
      with("\"last_page_idx\": 3", "\"last_page_idx\": -1"),
      with("\"last_page_idx\": 3", "\"last_page_idx\": -0"),
      with("\"total_pages\": 10", "\"total_pages\": 2.5"),
      with("\"total_pages\": 10", "\"total_pages\": 10.0"),
      with("\"total_pages\": 10", "\"total_pages\": 1e1"),
      with("\"timestamp\": 5", "\"timestamp\": 18446744073709551616"),
      with("\"timestamp\": 5", "\"timestamp\": \"5\""),
      with("\"timestamp\": 5", "\"timestamp\": null"),
      with("\"timestamp\": 5", "\"timestamp\": true"),
      with("\"manga_title\": \"t\"", "\"manga_title\": null"),
      with("\"manga_title\": \"t\"", "\"manga_title\": 7"),
      with("\"manga_title\": \"t\"", "\"manga_title\": [\"t\"]"),
      with("\"manga_title\": \"t\"", "\"manga_title\": {}"),
      with("\"manga_title\": \"t\"", "\"manga_title\": \"t\", \"manga_title\": \"t\""),  // twice
      with("\"manga_title\": \"t\"", "\"manga_title\": \"\\ud800\""),  // lone surrogate
      with("\"manga_title\": \"t\"", "\"manga_title\": \"a\tb\""),     // raw control character
      "{\"k\": [\"u\", \"t\", \"c\", \"cu\", 3, 10]}",                 // positional, short
      "{\"k\": [\"u\", \"t\", \"c\", \"cu\", 3, 10, 5, 6]}",           // positional, long
      "{\"k\": [\"u\", \"t\", \"c\", \"cu\", \"3\", 10, 5]}",          // positional, wrong type
      "{\"k\": [\"u\", \"t\", \"c\", \"cu\", 3, 10, 5, {}]}",
  };
  for (const std::string& text : invalid) {
    EXPECT_FALSE(parse_history_json(text)) << text;
  }
  // One bad record empties the store, however many good ones surround it.
  EXPECT_FALSE(parse_history_json("{\"a\": " + record + ", \"b\": {}, \"c\": " + record + "}"));
  EXPECT_TRUE(parse_history_json("{\"a\": " + record + ", \"c\": " + record + "}"));
}

TEST(StoreParsing, InvalidFavoritesDocuments) {
  const std::vector<std::string> invalid{
      "{}",
      "[1]",
      "[null]",
      "[[]]",
      "[[\"t\", \"u\", \"th\", \"lc\"]]",
      "[[\"t\", \"u\", \"th\", \"lc\", \"v\", \"x\"]]",
      "[{\"title\": \"t\", \"url\": \"u\", \"thumb_url\": \"th\", \"latest_chapter\": \"lc\"}]",
      "[{\"title\": \"t\", \"url\": \"u\", \"thumb_url\": \"th\", \"latest_chapter\": \"lc\", "
      "\"views\": 5}]",
      "[{\"title\": \"t\", \"url\": \"u\", \"url\": \"u\", \"thumb_url\": \"th\", "
      "\"latest_chapter\": \"lc\", \"views\": \"v\"}]",
      "[{\"title\": \"t\", \"url\": \"u\", \"\\u0075rl\": \"u\", \"thumb_url\": \"th\", "
      "\"latest_chapter\": \"lc\", \"views\": \"v\"}]",  // the same name, escaped
      "[[\"t\", \"u\", \"th\", \"lc\", \"v\"],]",
      "[] []",
  };
  for (const std::string& text : invalid) {
    EXPECT_FALSE(parse_favorites_json(text)) << text;
  }
}

}  // namespace
}  // namespace zentomi

#include "library/download_records.hpp"

#include <gtest/gtest.h>

#include <string>

namespace zentomi {
namespace {

TEST(DownloadRecords, WrittenFormsReadBack) {
  const ChapterRecord chapter{"Chương 2 \"đặc biệt\"",
                              "https://a/truyen-tranh/x/chuong-2",
                              {"001.jpg", "002.webp", "003.png"}};
  EXPECT_EQ(parse_chapter_record(render_chapter_record(chapter)), chapter);

  TitleRecord title{
      {"Đèn lồng", "https://a/truyen-tranh/x", "https://c/x.jpg", "Chương 3", "1.234"},
      {"Đèn lồng",
       "https://c/x.jpg",
       "Tác giả",
       "Đang ra",
       "Fantasy",
       "Tóm tắt\n",
       {{"Chương 3", "https://a/truyen-tranh/x/chuong-3"},
        {"Chương 2", "https://a/truyen-tranh/x/chuong-2"}}},
      1700000000};
  EXPECT_EQ(parse_title_record(render_title_record(title)), title);
  title.detail.chapters.clear();
  EXPECT_EQ(parse_title_record(render_title_record(title)), title);

  const std::vector<QueueEntry> queue{
      {"https://a/truyen-tranh/x", "X", {"Chương 2", "https://a/truyen-tranh/x/chuong-2"}, false},
      {"https://a/truyen-tranh/y", "Y", {"Chương 9", "https://a/truyen-tranh/y/chuong-9"}, true}};
  EXPECT_EQ(parse_queue(render_queue(queue)), queue);
  EXPECT_EQ(parse_queue(render_queue({})), std::vector<QueueEntry>{});
}

TEST(DownloadRecords, DamagedDocumentsAreRefused) {
  const std::string chapter =
      R"({"name": "C", "url": "u", "page_count": 2, "pages": ["001.jpg", "002.jpg"]})";
  ASSERT_TRUE(parse_chapter_record(chapter));
  EXPECT_TRUE(parse_chapter_record(
      R"({"extra": [1, {"x": 2}], "name": "C", "url": "u", "page_count": 1, "pages": ["001.jpg"]})"));
  const std::string refused[] = {
      "",
      chapter.substr(0, chapter.size() - 1),  // cut short
      R"({"name": "C", "url": "u", "page_count": 3, "pages": ["001.jpg", "002.jpg"]})",  // count
      R"({"name": "C", "url": "u", "page_count": 0, "pages": []})",                      // empty
      R"({"name": "C", "url": "u", "pages": ["001.jpg"]})",  // member missing
      R"({"name": "C", "name": "D", "url": "u", "page_count": 1, "pages": ["001.jpg"]})",
      R"({"name": 5, "url": "u", "page_count": 1, "pages": ["001.jpg"]})",
      R"({"name": "C", "url": "u", "page_count": -1, "pages": ["001.jpg"]})",
      chapter + " x",
      "\xFF" + chapter,
  };
  for (const std::string& bytes : refused)
    EXPECT_FALSE(parse_chapter_record(bytes)) << bytes;
  EXPECT_FALSE(parse_queue(R"([{"title_url": "t", "title": "T", "chapter": {"name": "c"},
                                "failed": false}])"));
  EXPECT_FALSE(parse_queue(R"([{"title_url": "t", "title": "T",
                                "chapter": {"name": "c", "url": "u"}, "failed": 0}])"));
  EXPECT_FALSE(parse_title_record("{}"));
}

}  // namespace
}  // namespace zentomi

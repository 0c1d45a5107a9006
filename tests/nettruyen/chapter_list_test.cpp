#include "nettruyen/chapter_list.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/build_config.hpp"
#include "support/model_printers.hpp"

namespace zentomi {
namespace {

const std::string ORIGIN = SITE_ORIGIN;
const std::string SERVICE = ORIGIN + "/Comic/Services/ComicService.asmx/ChapterList?slug=";

std::string chapter_url(std::string_view number) {
  return ORIGIN + "/truyen-tranh/t/chuong-" + std::string(number);
}

std::optional<std::vector<ChapterRef>> service(std::string_view json) {
  return parse_chapter_service(json, "t");
}

// The number text a lone item with a blank name gives, or "skipped" / "invalid".
std::string number_text(std::string_view chapter_num) {
  const auto chapters =
      service(R"({"data":[{"chapter_name":"","chapter_num":)" + std::string(chapter_num) + "}]}");
  if (!chapters) return "invalid";
  if (chapters->empty()) return "skipped";
  EXPECT_EQ(chapters->size(), 1u);
  const std::string name = chapters->front().name;
  EXPECT_TRUE(name.starts_with("Chapter ")) << name;
  const std::string number = name.substr(8);
  EXPECT_EQ(chapters->front().url, chapter_url(number));
  return number;
}

TEST(ChapterSlug, IsTheLastSegmentWithoutTrailingSlashes) {
  EXPECT_EQ(chapter_slug("https://h.test/truyen-tranh/ten-truyen-123/"), "ten-truyen-123");
  EXPECT_EQ(chapter_slug("https://h.test/truyen-tranh/ten-truyen-123"), "ten-truyen-123");
  EXPECT_EQ(chapter_slug("https://h.test/truyen-tranh/ten-truyen-123///"), "ten-truyen-123");
  EXPECT_EQ(chapter_slug("https://h.test/a/ b\t/"), "b");
  EXPECT_EQ(chapter_slug("no-slash"), "no-slash");
  EXPECT_EQ(chapter_slug("https://h.test/a/%20x?y=1"), "%20x?y=1");
  EXPECT_EQ(chapter_slug("https://h.test/a/  /"), "");
  EXPECT_EQ(chapter_slug("///"), "");
  EXPECT_EQ(chapter_slug(""), "");
}

TEST(ChapterService, ItemsBecomeNamedChaptersUnderTheSlug) {
  EXPECT_EQ(service(R"({"data":[{"chapter_name":"  ","chapter_num":5}]})"),
            (std::vector<ChapterRef>{{"Chapter 5", chapter_url("5")}}));
  EXPECT_EQ(service(R"({"data":[{"chapter_name":"Chap 2","chapter_num":"2"},)"
                    R"({"chapter_name":"x","chapter_num":null}]})"),
            (std::vector<ChapterRef>{{"Chap 2", chapter_url("2")}}));
  EXPECT_EQ(parse_chapter_service(R"({"data":[{"chapter_name":" Tập\u00a01 ","chapter_num":1}]})",
                                  "ten-truyen"),
            (std::vector<ChapterRef>{{"Tập\xc2\xa0"
                                      "1",
                                      ORIGIN + "/truyen-tranh/ten-truyen/chuong-1"}}));
  // Order is the service's; members may come in any order, unknown ones between them.
  EXPECT_EQ(
      service(R"( { "success" : true , "data" : [ { "chapter_num" : 3 , "id" : [1,{"a":null}],)"
              R"( "chapter_name" : "C" } , { "chapter_num" : 1 } ] } )"),
      (std::vector<ChapterRef>{{"C", chapter_url("3")}, {"Chapter 1", chapter_url("1")}}));
  // Keys are compared after unescaping.
  EXPECT_EQ(service(R"({"d\u0061ta":[{"chapter_name":"\u0041\/B","chapter_num":4}]})"),
            (std::vector<ChapterRef>{{"A/B", chapter_url("4")}}));
}

TEST(ChapterService, NumberTextFollowsTheValueKind) {
  EXPECT_EQ(number_text("12"), "12");
  EXPECT_EQ(number_text("-3"), "-3");
  EXPECT_EQ(number_text("123456789012345678901234567890"), "123456789012345678901234567890");
  EXPECT_EQ(number_text("7.5"), "7.5");
  EXPECT_EQ(number_text("12.0"), "12.0");
  EXPECT_EQ(number_text("1.2e1"), "12.0");
  EXPECT_EQ(number_text("0.1E+1"), "1.0");
  EXPECT_EQ(number_text("-0.0"), "-0.0");
  EXPECT_EQ(number_text("0.30000000000000004"), "0.30000000000000004");
  EXPECT_EQ(number_text("1e15"), "1000000000000000.0");
  EXPECT_EQ(number_text("1e16"), "1e16");
  EXPECT_EQ(number_text("1.25e20"), "1.25e20");
  EXPECT_EQ(number_text("0.0001"), "0.0001");
  EXPECT_EQ(number_text("0.00001"), "0.00001");
  EXPECT_EQ(number_text("0.000001"), "1e-6");
  EXPECT_EQ(number_text("-1.5e-7"), "-1.5e-7");
  EXPECT_EQ(number_text("1e-400"), "0.0");
  // Strings are used as they are, blanks included.
  EXPECT_EQ(number_text(R"(" 9 ")"), " 9 ");
  EXPECT_EQ(number_text(R"("")"), "");
  for (const char* skipped : {"null", "true", "false", "[1]", R"({"n":1,"n":2})"})
    EXPECT_EQ(number_text(skipped), "skipped") << skipped;
  // A value the answer cannot hold makes it invalid, also deep inside a skipped kind.
  for (const char* invalid : {"1e400", "-1e309", "[1e400]", R"("\ud800")", R"({"a":"\udc00"})",
                              "01", "1.", ".5", "+1", "NaN", "tru"})
    EXPECT_EQ(number_text(invalid), "invalid") << invalid;
}

TEST(ChapterService, WholeAnswerIsInvalidOnTypeOrStructureErrors) {
  for (const char* invalid : {
           R"({"data":[{"chapter_name":3,"chapter_num":3}]})",
           R"({"data":[{"chapter_name":null,"chapter_num":3}]})",
           R"({"data":[],"data":[]})",
           R"({"data":[{"chapter_name":"a","chapter_name":"b","chapter_num":1}]})",
           R"({"data":[{"chapter_num":1,"chapter_num":2}]})",
           R"({"data":null})",
           R"({"data":{}})",
           R"({"data":[1]})",
           R"({"data":[{"chapter_name":"\ud800x","chapter_num":1}]})",
           R"({"data":[{"chapter_name":"a\u00","chapter_num":1}]})",
           R"({"data":[{"chapter_name":"a\q","chapter_num":1}]})",
           "{\"data\":[{\"chapter_name\":\"a\tb\",\"chapter_num\":1}]}",
           R"({"data":[{"chapter_name":"a","chapter_num":1},]})",
           R"({"data":[{"chapter_name":"a","chapter_num":1}]} x)",
           R"({"data":[]}{})",
           R"({"\udc00":1,"data":[{"chapter_num":1}]})",
           R"({"data":[{"chapter_num":1}]})"
           "\xff",
           R"([[["a",1,2]]])",
           R"([[],1])",
           R"([[{"chapter_num":1}]] ])",
           R"("data")",
           "",
           "  ",
           "<html><h1>404 Not Found</h1></html>",
       }) {
    EXPECT_EQ(service(invalid), std::nullopt) << invalid;
  }
}

TEST(ChapterService, UnknownMembersAreSkippedWhateverTheyHold) {
  const std::string huge_integer(400, '7');
  const auto chapters = service(R"({"x":1e400,"y":)" + huge_integer +
                                R"(,"z":"\ud800","w":{"data":1,"data":[-0.5e-999]},"data":[)"
                                R"({"chapter_num":1,"v":"\udfff\ud800","u":1E400},)"
                                R"({"chapter_num":2,"other":[[[[[[]]]]]]}],"data2":null})");
  EXPECT_EQ(chapters, (std::vector<ChapterRef>{{"Chapter 1", chapter_url("1")},
                                               {"Chapter 2", chapter_url("2")}}));
  // Skipped does not mean unchecked: the grammar still holds.
  EXPECT_EQ(service(R"({"x":01,"data":[{"chapter_num":1}]})"), std::nullopt);
  EXPECT_EQ(service(R"({"x":"\x","data":[{"chapter_num":1}]})"), std::nullopt);
  EXPECT_EQ(service(R"({"x":[1,],"data":[{"chapter_num":1}]})"), std::nullopt);
  EXPECT_EQ(service(R"({"x":{"a"},"data":[{"chapter_num":1}]})"), std::nullopt);
}

TEST(ChapterService, PositionalFormsAndEmptyAnswers) {
  EXPECT_EQ(service(R"([[["One",1],[" ",2.5],[],["no number"],{"chapter_num":3}]])"),
            (std::vector<ChapterRef>{{"One", chapter_url("1")},
                                     {"Chapter 2.5", chapter_url("2.5")},
                                     {"Chapter 3", chapter_url("3")}}));
  for (const char* empty : {R"({"other":1})", "{}", "[]", R"({"data":[]})", "[[]]",
                            R"({"data":[{"chapter_name":"x"},["y",null]]})"}) {
    const auto chapters = service(empty);
    ASSERT_TRUE(chapters.has_value()) << empty;
    EXPECT_TRUE(chapters->empty()) << empty;
  }
}

TEST(PageChapters, LinksAfterEachChapterMarker) {
  EXPECT_EQ(
      parse_page_chapters(
          R"(<a href="/before">Before</a><div class="col-xs-5 chapter"><a href="/truyen-tranh/t/chuong-1">  Chapter 1 </a>)"),
      (std::vector<ChapterRef>{{"Chapter 1", ORIGIN + "/truyen-tranh/t/chuong-1"}}));

  const std::string marker = R"(<div class="col-xs-5 chapter">)";
  const auto one = [&](std::string_view piece) {
    const auto chapters = parse_page_chapters(marker + std::string(piece));
    return chapters.empty() ? ChapterRef{"skipped", ""} : chapters.front();
  };
  EXPECT_EQ(one(R"(<a href="//cdn/c">C</a>)"), (ChapterRef{"C", ORIGIN + "//cdn/c"}));
  EXPECT_EQ(one(R"(<a href="https://x/c">C</a>)"), (ChapterRef{"C", "https://x/c"}));
  EXPECT_EQ(one(R"(<a href=" c ">C &amp; D</a>)"), (ChapterRef{"C &amp; D", " c "}));
  EXPECT_EQ(one(R"(<a href="">C</a>)"), (ChapterRef{"C", ""}));
  EXPECT_EQ(one(R"(<a title="x" href="/c" data-id="1">C</a>)"), (ChapterRef{"C", ORIGIN + "/c"}));
  for (const char* skipped : {
           R"(<a href="/c">   </a>)",
           R"(<a href="/c"></a>)",
           R"(no link here</a>)",
           R"(<a data-id="1">C</a>)",
           R"(<a href="/c>C</a>)",
           R"(<a href="/c">C)",
           R"(<a</a> href="/c">)",
       }) {
    EXPECT_EQ(one(skipped).name, "skipped") << skipped;
  }
  // Each piece ends at the next marker, so a link never reaches into the next entry.
  EXPECT_EQ(parse_page_chapters(marker + "<a href=\"/1\">" + marker + "<a href=\"/2\">Two</a>" +
                                marker + "<a href=\"/3\">Three</a>"),
            (std::vector<ChapterRef>{{"Two", ORIGIN + "/2"}, {"Three", ORIGIN + "/3"}}));
  EXPECT_TRUE(parse_page_chapters("<div class=\"col-xs-5 chapter\" ><a href=\"/c\">C</a>").empty());
}

class LoadChapterList : public ::testing::Test {
 protected:
  // Answers the service URL with `answer_` and records every request.
  FetchText fetcher() {
    return [this](std::string_view url) -> std::expected<std::string, std::string> {
      requests_.emplace_back(url);
      return answer_;
    };
  }
  std::expected<std::string, std::string> answer_;
  std::vector<std::string> requests_;
  const std::string page_ = R"(<div class="col-xs-5 chapter"><a href="/p/1">From page</a>)";
  const std::vector<ChapterRef> from_page_{{"From page", ORIGIN + "/p/1"}};
};

TEST_F(LoadChapterList, PrefersTheServiceAndSkipsThePage) {
  answer_ = R"({"data":[{"chapter_name":"","chapter_num":9}]})";
  EXPECT_EQ(load_chapter_list("https://h.test/truyen-tranh/ten/", page_, fetcher()),
            (std::vector<ChapterRef>{{"Chapter 9", ORIGIN + "/truyen-tranh/ten/chuong-9"}}));
  EXPECT_EQ(requests_, std::vector<std::string>{SERVICE + "ten"});
}

TEST_F(LoadChapterList, FallsBackToThePageSilently) {
  for (const std::expected<std::string, std::string>& answer : {
           std::expected<std::string, std::string>(
               std::unexpected("Network error: exit code None")),
           std::expected<std::string, std::string>(R"({"data":[]})"),
           std::expected<std::string, std::string>(R"({"data":[{"chapter_num":null}]})"),
           std::expected<std::string, std::string>(R"({"data":[],"data":[]})"),
       }) {
    answer_ = answer;
    requests_.clear();
    EXPECT_EQ(load_chapter_list("https://h.test/truyen-tranh/ten", page_, fetcher()), from_page_);
    EXPECT_EQ(requests_.size(), 1u);
  }
  // Without a slug the service is not asked at all.
  requests_.clear();
  EXPECT_EQ(load_chapter_list("https://h.test/truyen-tranh/ /", page_, fetcher()), from_page_);
  EXPECT_TRUE(requests_.empty());
  answer_ = "{}";
  EXPECT_TRUE(load_chapter_list("https://h.test/x", "<html></html>", fetcher()).empty());
}

}  // namespace
}  // namespace zentomi

// The site's origin named by the update manifest: used at once and kept for the next start.
#include "model/site_origin.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/job_table.hpp"
#include "app/site_origin_keeping.hpp"
#include "model/build_config.hpp"
#include "support/fake_curl.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

class Current final : public JobControl {
 public:
  bool superseded() const override { return false; }
  bool report(WorkerResult) const override { return true; }
};

class SiteOriginFromManifest : public ::testing::Test {
 protected:
  ~SiteOriginFromManifest() override { set_site_origin(SITE_ORIGIN); }

  // Runs one update check whose manifest carries `member` (a JSON member text, or nothing) and
  // says what it logged.
  std::string check_with(const std::string& member) {
    curl_.serve("primary.json", R"({"version":"0.9","name":"Z","changelog":"C",)"
                                R"("download_url":"https://u/z.zip")" +
                                    (member.empty() ? "" : "," + member) + "}");
    JobEnvironment environment;
    environment.update_endpoints = {"https://updates.test/primary.json",
                                    "http://127.0.0.1:4549/fallback.json"};
    environment.store_paths = paths_;
    ::testing::internal::CaptureStderr();
    const auto result = run_job(job::UpdateCheck{}, environment, Current{});
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(result && std::get<UpdateCheckResult>(*result).result) << log;
    return log;
  }

  std::filesystem::path kept_file() const { return dir_ / "sd" / "site-origin.txt"; }

  testing::FakeCurl curl_;
  testing::TempDir dir_;
  const StorePaths paths_{(dir_ / "sd").string(), (dir_ / "fallback").string()};
};

TEST_F(SiteOriginFromManifest, AValidOriginIsUsedAtOnceAndAfterARestart) {
  check_with(R"("site_origin":"https://nettruyen-moi.test/")");
  EXPECT_EQ(site_origin(), "https://nettruyen-moi.test");
  EXPECT_EQ(testing::read_file(kept_file()), "https://nettruyen-moi.test\n");

  // A new run starts from the build's origin and takes the kept one before any check.
  set_site_origin(SITE_ORIGIN);
  ::testing::internal::CaptureStderr();
  restore_site_origin(paths_);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(site_origin(), "https://nettruyen-moi.test");

  // A manifest without the member, or with an invalid one, leaves both as they are.
  check_with("");
  const std::string log = check_with(R"("site_origin":"http://plain.test")");
  EXPECT_NE(log.find("[OTA] Ignoring invalid site_origin: http://plain.test\n"), std::string::npos)
      << log;
  EXPECT_EQ(site_origin(), "https://nettruyen-moi.test");
  EXPECT_EQ(testing::read_file(kept_file()), "https://nettruyen-moi.test\n");
}

TEST_F(SiteOriginFromManifest, NothingChangesWithoutAValidOrigin) {
  for (const std::string& member : {std::string(), std::string(R"("site_origin":null)"),
                                    std::string(R"("site_origin":"https://a.test/path")")}) {
    check_with(member);
    EXPECT_EQ(site_origin(), SITE_ORIGIN) << member;
    EXPECT_FALSE(std::filesystem::exists(kept_file())) << member;
  }
  // An unusable kept file is not used either.
  testing::write_file(kept_file(), "https://user@a.test\n");
  restore_site_origin(paths_);
  EXPECT_EQ(site_origin(), SITE_ORIGIN);
}

TEST_F(SiteOriginFromManifest, TitlesStoredUnderAnOldOriginAreFetchedUnderTheCurrentOne) {
  check_with(R"("site_origin":"https://nettruyen-moi.test")");
  curl_.serve("truyen-tranh/kiem/chuong-7",
              "<div class='page-chapter'><img src='https://i/1.jpg'>");
  const std::string old_chapter = "https://nettruyen-cu.test/truyen-tranh/kiem/chuong-7";
  const auto pages = run_job(job::ChapterPages{old_chapter, 3}, JobEnvironment{}, Current{});
  ASSERT_TRUE(pages.has_value());
  const auto& loaded = std::get<PagesLoaded>(*pages);
  EXPECT_EQ(loaded.result, std::vector<std::string>{"https://i/1.jpg"});
  // The answer names the chapter as it was asked for, so the reader still takes it.
  EXPECT_EQ(loaded.chapter_url, old_chapter);
  EXPECT_EQ(curl_.command_lines().back().back(),
            "https://nettruyen-moi.test/truyen-tranh/kiem/chuong-7");
}

TEST(ValidSiteOrigin, IsAnHttpsHostWithAnOptionalPortAndNothingElse) {
  for (const auto& [text, expected] : std::vector<std::pair<std::string, std::string>>{
           {"https://nettruyen.test", "https://nettruyen.test"},
           {"https://nettruyen.test/", "https://nettruyen.test"},
           {"https://www.a-b.test:8443", "https://www.a-b.test:8443"},
           {"https://127.0.0.1", "https://127.0.0.1"},
       })
    EXPECT_EQ(valid_site_origin(text), expected) << text;
  for (const char* text : {"",
                           "http://a.test",
                           "https://",
                           "https:///",
                           "https://a.test/x",
                           "https://a.test//",
                           "https://u@a.test",
                           "https://a.test?x=1",
                           "https://a.test#top",
                           "https://a.test:",
                           "https://a.test:0",
                           "https://a.test:65536",
                           "https://a.test:80x",
                           "https://a .test",
                           "https://a..test",
                           "https://.a.test",
                           "HTTPS://a.test",
                           " https://a.test",
                           "https://a.test\n",
                           "https://[::1]"})
    EXPECT_EQ(valid_site_origin(text), std::nullopt) << text;
}

}  // namespace
}  // namespace zentomi

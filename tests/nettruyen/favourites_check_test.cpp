#include "nettruyen/favourites_check.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "model/site_address.hpp"
#include "nettruyen/chapter_list.hpp"

namespace zentomi {
namespace {

using namespace std::chrono_literals;

const std::string TITLE = "https://old.test/truyen-tranh/";

std::string service(const std::string& slug) {
  return chapter_list_service_url(slug);
}

std::string answer(int newest, int oldest) {
  std::string data;
  for (int n = newest; n >= oldest; --n) {
    if (!data.empty()) data += ",";
    data += "{\"chapter_name\":\"Chapter " + std::to_string(n) +
            "\",\"chapter_num\":" + std::to_string(n) + "}";
  }
  return "{\"data\":[" + data + "]}";
}

// A site answering from a table, and a clock that moves only while the check waits.
struct Site {
  std::map<std::string, std::expected<std::string, std::string>> answers;
  std::vector<std::pair<std::string, std::chrono::milliseconds>> asked;  // URL, time asked
  std::chrono::milliseconds now{0};
  int waits_before_stop = -1;  // the wait that says stop (counted from 0); -1 never
  int waits = 0;
  std::map<std::size_t, FavouriteNews> refreshed;

  CheckRun run() {
    return {
        .fetch =
            [this](std::string_view url) {
              asked.emplace_back(std::string(url), now);
              const auto found = answers.find(std::string(url));
              if (found == answers.end()) return std::expected<std::string, std::string>("<html>");
              return found->second;
            },
        .wait =
            [this](std::chrono::milliseconds pause) {
              if (waits++ == waits_before_stop) return false;
              now += pause;
              return true;
            },
        .refreshed = [this](std::size_t index,
                            FavouriteNews news) { refreshed[index] = std::move(news); },
    };
  }
  std::vector<std::string> urls() const {
    std::vector<std::string> result;
    for (const auto& [url, when] : asked)
      result.push_back(url);
    return result;
  }
};

const std::vector<FavouriteTarget> TARGETS = {
    {TITLE + "a", TITLE + "a/chuong-300"},  // two new chapters
    {TITLE + "b", TITLE + "b/chuong-45"},   // up to date
    {TITLE + "c", ""},                      // never read
};

TEST(FavouritesCheck, AsksTheServiceForEachInTurnASecondApart) {
  Site site;
  site.answers[service("a")] = answer(302, 1);
  site.answers[service("b")] = answer(45, 1);
  site.answers[service("c")] = "{\"data\":[1,2";  // invalid: nothing known, not a failure
  ASSERT_TRUE(check_favourites(TARGETS, site.run()));
  EXPECT_EQ(site.urls(), (std::vector<std::string>{service("a"), service("b"), service("c")}));
  for (std::size_t i = 1; i < site.asked.size(); ++i)
    EXPECT_GE(site.asked[i].second - site.asked[i - 1].second, 1000ms) << i;
  ASSERT_EQ(site.refreshed.size(), 3u);
  EXPECT_EQ(new_chapter_count(site.refreshed[0], std::nullopt), 2u);
  EXPECT_EQ(site.refreshed[0].newest, "Chapter 302");
  EXPECT_EQ(new_chapter_count(site.refreshed[1], std::nullopt), 0u);
  EXPECT_EQ(site.refreshed[2], FavouriteNews{});
}

TEST(FavouritesCheck, StopsAtTheFirstFailedRequestWithItsMessage) {
  Site site;
  site.answers[service("a")] = answer(302, 1);
  site.answers[service("b")] = std::unexpected("Network error: curl exited with status 6");
  const auto checked = check_favourites(TARGETS, site.run());
  ASSERT_FALSE(checked);
  EXPECT_EQ(checked.error(), "Network error: curl exited with status 6");
  EXPECT_EQ(site.urls(), (std::vector<std::string>{service("a"), service("b")}));
  EXPECT_EQ(site.refreshed.size(), 1u);
}

TEST(FavouritesCheck, AskedToStopItAsksNothingMore) {
  Site site;
  site.waits_before_stop = 1;  // during the pause before the third
  EXPECT_TRUE(check_favourites(TARGETS, site.run()));
  EXPECT_EQ(site.urls(), (std::vector<std::string>{service("a"), service("b")}));
  EXPECT_EQ(site.refreshed.size(), 2u);
}

TEST(FavouritesCheck, AnEmptyAnswerAsksTheOlderServiceToo) {
  Site site;
  const std::vector<FavouriteTarget> numbered = {{TITLE + "ten-123", TITLE + "ten-123/chuong-2"}};
  site.answers[service("ten-123")] = "{\"data\":[]}";
  const std::string older = older_chapter_list_service_url("ten-123").value();
  site.answers[older] = answer(3, 1);
  EXPECT_TRUE(check_favourites(numbered, site.run()));
  EXPECT_EQ(site.urls(), (std::vector<std::string>{service("ten-123"), older}));
  EXPECT_EQ(site.asked[1].second - site.asked[0].second, 1000ms);
  EXPECT_EQ(new_chapter_count(site.refreshed[0], std::nullopt), 1u);
}

}  // namespace
}  // namespace zentomi

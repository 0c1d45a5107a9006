#include "platform/curl_runner.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/environment.hpp"
#include "support/fake_curl.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using Arguments = std::vector<std::string>;
using testing::FakeCurl;

CurlRequest plain_request(std::string url) {
  return {.url = std::move(url),
          .switches = {CurlSwitch::Silent},
          .connect_limit = std::chrono::seconds(1),
          .total_limit = std::chrono::seconds(2)};
}

Arguments arguments_of(const CurlRequest& request) {
  const auto command = CurlCommand::prepare(request);
  if (!command) return {"refused: " + command.error().text};
  return command->arguments();
}

TEST(CurlRunner, BuildsTheCommandLineInItsOneOrder) {
  EXPECT_EQ(arguments_of({.url = "https://x.test/a",
                          .switches = {CurlSwitch::Silent, CurlSwitch::FollowRedirects,
                                       CurlSwitch::Ipv4Only, CurlSwitch::NoCertificateCheck},
                          .connect_limit = std::chrono::seconds(6),
                          .total_limit = std::chrono::seconds(12),
                          .user_agent = "Agent/1.0",
                          .headers = {"Referer: https://site/", "Accept: */*"},
                          .output = curl_output::Memory{}}),
            (Arguments{"curl", "-s", "-L", "-4", "-k", "--connect-timeout", "6", "--max-time", "12",
                       "-A", "Agent/1.0", "-H", "Referer: https://site/", "-H", "Accept: */*",
                       "https://x.test/a"}));
  // The switches keep the order the caller gives; a file output is curl's -o.
  EXPECT_EQ(arguments_of({.url = "http://u.test/p.zip",
                          .switches = {CurlSwitch::Ipv4Only, CurlSwitch::NoCertificateCheck,
                                       CurlSwitch::Silent, CurlSwitch::FollowRedirects},
                          .connect_limit = std::chrono::seconds(10),
                          .total_limit = std::chrono::seconds(120),
                          .output = curl_output::File{"/tmp/p.zip"}}),
            (Arguments{"curl", "-4", "-k", "-s", "-L", "--connect-timeout", "10", "--max-time",
                       "120", "-o", "/tmp/p.zip", "http://u.test/p.zip"}));
}

TEST(CurlRunner, OnlyWebAddressesArePrepared) {
  EXPECT_TRUE(is_web_url("http://x"));
  EXPECT_TRUE(is_web_url("https://x"));
  EXPECT_FALSE(is_web_url("https:/x"));
  for (const char* refused :
       {"file:///etc/passwd", "-o/tmp/zentomi-owned", "", "/relative", "HTTPS://x.test/",
        " https://x.test/", "ftp://x.test/a", "//cdn.test/a.jpg", "-K/etc/passwd"}) {
    const auto command = CurlCommand::prepare(plain_request(refused));
    ASSERT_FALSE(command.has_value()) << refused;
    EXPECT_EQ(command.error().kind, CurlError::Kind::NotAWebUrl);
    EXPECT_EQ(command.error().text, std::string("not an http(s) URL: ") + refused);
  }
}

TEST(CurlRunner, RangesAndSetsArePercentEncoded) {
  EXPECT_EQ(arguments_of(plain_request("https://x.test/chuong-1[0-99999]?q={a,b}")).back(),
            "https://x.test/chuong-1%5B0-99999%5D?q=%7Ba,b%7D");
  EXPECT_EQ(arguments_of(plain_request("https://updates.example/pkg/zentomi-[1-9].zip")).back(),
            "https://updates.example/pkg/zentomi-%5B1-9%5D.zip");
  // Nothing else in the URL is touched.
  EXPECT_EQ(arguments_of(plain_request("https://x.test/a b?x=1&y=2%5B#f")).back(),
            "https://x.test/a b?x=1&y=2%5B#f");
}

TEST(CurlRunner, RunsCurlAndGivesItsOutputAndExitCode) {
  FakeCurl curl;
  curl.serve("page", "Trang một");
  curl.serve("down.action", "exit 6");
  const auto page = run_curl(plain_request("https://x.test/page"));
  ASSERT_TRUE(page.has_value()) << page.error().text;
  EXPECT_EQ(page->out, "Trang một");
  EXPECT_EQ(page->exit_code, 0);
  const auto down = run_curl(plain_request("https://x.test/down"));
  ASSERT_TRUE(down.has_value()) << down.error().text;
  EXPECT_EQ(down->exit_code, 6);
  EXPECT_EQ(run_curl(plain_request("ftp://x.test/page")).error().kind, CurlError::Kind::NotAWebUrl);
  EXPECT_EQ(curl.command_lines(),
            (std::vector<Arguments>{
                {"-s", "--connect-timeout", "1", "--max-time", "2", "https://x.test/page"},
                {"-s", "--connect-timeout", "1", "--max-time", "2", "https://x.test/down"}}));
}

TEST(CurlRunner, ACurlThatCannotStartIsTheSystemError) {
  testing::TempDir empty;
  testing::ScopedEnvironment no_curl({{"PATH", empty.path().string()}});
  const auto outcome = run_curl(plain_request("https://x.test/"));
  ASSERT_FALSE(outcome.has_value());
  EXPECT_EQ(outcome.error().kind, CurlError::Kind::NotStarted);
  EXPECT_EQ(outcome.error().text, "No such file or directory (os error 2)");
}

}  // namespace
}  // namespace zentomi

#include "nettruyen/fetch.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "model/build_config.hpp"
#include "support/environment.hpp"
#include "support/fake_curl.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::FakeCurl;

Bytes bytes_of(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

std::vector<std::string> expected_command(const char* connect, const char* total,
                                          const std::string& url) {
  return {"-s",
          "-L",
          "-4",
          "-k",
          "--connect-timeout",
          connect,
          "--max-time",
          total,
          "-A",
          "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
          "Chrome/120.0.0.0 Safari/537.36",
          "-H",
          std::string("Referer: ") + SITE_ORIGIN + "/",
          url};
}

TEST(Fetch, RunsCurlWithTheExactCommandLines) {
  FakeCurl curl;
  curl.serve("truyen/a b?x=1&y=2", "Trang một ✓");
  curl.serve("img/p.png", "\x89PNG");
  const std::string page_url = "https://any.host/truyen/a b?x=1&y=2";
  EXPECT_EQ(fetch_text(page_url), "Trang một ✓");
  EXPECT_EQ(fetch_bytes("http://cdn.test/img/p.png"), bytes_of("\x89PNG"));
  const auto lines = curl.command_lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], expected_command("6", "12", page_url));
  EXPECT_EQ(lines[1], expected_command("8", "20", "http://cdn.test/img/p.png"));
}

TEST(Fetch, RangesAndSetsInAUrlNeverBecomeSeveralTransfers) {
  // curl would read these as 100,000 chapters and two covers; the fake logs what curl is given.
  FakeCurl curl;
  curl.serve("chuong-1%5B0-99999%5D?q=%7Ba,b%7D", "một lần");
  curl.serve("c%5B1-2%5D.jpg", "\xFF\xD8");
  EXPECT_EQ(fetch_text("https://x.test/chuong-1[0-99999]?q={a,b}"), "một lần");
  EXPECT_EQ(fetch_bytes("https://cdn.test/c[1-2].jpg"), bytes_of("\xFF\xD8"));
  const auto lines = curl.command_lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            expected_command("6", "12", "https://x.test/chuong-1%5B0-99999%5D?q=%7Ba,b%7D"));
  EXPECT_EQ(lines[1], expected_command("8", "20", "https://cdn.test/c%5B1-2%5D.jpg"));
}

TEST(Fetch, ATimeOutIsExitCode28) {
  FakeCurl curl("exit 28");
  curl.serve("slow", "never sent");
  EXPECT_EQ(fetch_text("https://x.test/slow"),
            std::unexpected(std::string("Network error: exit code Some(28)")));
  EXPECT_EQ(fetch_bytes("https://x.test/slow"),
            std::unexpected(std::string("Failed to download image data")));
}

TEST(Fetch, ACurlEndedByASignalHasNoExitCode) {
  FakeCurl curl("kill");
  EXPECT_EQ(fetch_text("https://x.test/page"),
            std::unexpected(std::string("Network error: exit code None")));
  EXPECT_EQ(fetch_bytes("https://x.test/page"),
            std::unexpected(std::string("Failed to download image data")));
}

TEST(Fetch, AnActionFileFailsOneUrlOnly) {
  FakeCurl curl;
  curl.serve("down.action", "exit 6\n");
  curl.serve("up", "ok");
  EXPECT_EQ(fetch_text("https://x.test/down"),
            std::unexpected(std::string("Network error: exit code Some(6)")));
  EXPECT_EQ(fetch_text("https://x.test/up"), "ok");
}

TEST(Fetch, AnEmptyBodyIsEmptyTextButNoImage) {
  FakeCurl curl;
  curl.serve("empty", "");
  EXPECT_EQ(fetch_text("https://x.test/empty"), "");
  EXPECT_EQ(fetch_bytes("https://x.test/empty"),
            std::unexpected(std::string("Failed to download image data")));
}

TEST(Fetch, BodiesPastTheirBoundFailInsteadOfFillingTheMemory) {
  FakeCurl curl;
  const std::size_t mib = std::size_t{1} << 20;
  curl.serve("page", std::string(16 * mib, 'a'));
  curl.serve("huge-page", std::string(16 * mib + 1, 'a'));
  curl.serve("huge-image", std::string(32 * mib + 1, 'b'));
  EXPECT_EQ(fetch_text("https://x.test/page")->size(), 16 * mib);
  EXPECT_EQ(fetch_text("https://x.test/huge-page"),
            std::unexpected(std::string("Network error: page larger than 16 MiB")));
  EXPECT_EQ(fetch_bytes("https://x.test/huge-image"),
            std::unexpected(std::string("Failed to download image data")));
}

TEST(Fetch, AnErrorPageIsAnAnswer) {
  FakeCurl curl;
  const auto page = fetch_text("https://x.test/no/such/page");
  ASSERT_TRUE(page.has_value()) << page.error();
  EXPECT_NE(page->find("404 Not Found"), std::string::npos);
  EXPECT_TRUE(fetch_bytes("https://x.test/no/such/image.jpg").has_value());
}

TEST(Fetch, TextMustBeUtf8AndBytesNeedNotBe) {
  FakeCurl curl;
  curl.serve("latin1", "caf\xe9 au lait");
  curl.serve("surrogate", "ok \xed\xa0\x80");
  curl.serve("cut", "Tr\xe1\xbb");
  EXPECT_EQ(fetch_text("https://x.test/latin1"),
            std::unexpected(
                std::string("UTF-8 decode error: invalid utf-8 sequence of 1 bytes from index 3")));
  EXPECT_EQ(fetch_text("https://x.test/surrogate"),
            std::unexpected(
                std::string("UTF-8 decode error: invalid utf-8 sequence of 1 bytes from index 3")));
  EXPECT_EQ(fetch_text("https://x.test/cut"),
            std::unexpected(
                std::string("UTF-8 decode error: incomplete utf-8 byte sequence from index 2")));
  EXPECT_EQ(fetch_bytes("https://x.test/latin1"), bytes_of("caf\xe9 au lait"));
}

TEST(Fetch, CurlThatCannotBeStartedGivesTheSystemError) {
  testing::TempDir empty;
  {
    testing::ScopedEnvironment no_curl({{"PATH", empty.path().string()}});
    EXPECT_EQ(fetch_text("https://x.test/"),
              std::unexpected(std::string("Curl error: No such file or directory (os error 2)")));
    EXPECT_EQ(
        fetch_bytes("https://x.test/"),
        std::unexpected(std::string("Download error: No such file or directory (os error 2)")));
  }
  testing::write_file(empty / "curl", "#!/bin/sh\necho never\n");
  ::chmod((empty / "curl").c_str(), 0644);
  testing::ScopedEnvironment unusable({{"PATH", empty.path().string()}});
  EXPECT_EQ(fetch_text("https://x.test/"),
            std::unexpected(std::string("Curl error: Permission denied (os error 13)")));
}

TEST(Fetch, OnlyWebAddressesReachCurl) {
  FakeCurl curl;
  curl.serve("etc/passwd", "secret");
  for (const char* raw :
       {"file:///etc/passwd", "-o/tmp/zentomi-owned", "", "/relative", "HTTPS://x.test/",
        " https://x.test/", "ftp://x.test/a", "//cdn.test/a.jpg"}) {
    const std::string url = raw;
    EXPECT_EQ(fetch_text(url), std::unexpected("Curl error: not an http(s) URL: " + url));
    EXPECT_EQ(fetch_bytes(url), std::unexpected("Download error: not an http(s) URL: " + url));
  }
  EXPECT_TRUE(curl.command_lines().empty());
}

}  // namespace
}  // namespace zentomi

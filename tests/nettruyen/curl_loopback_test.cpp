// The real curl against servers on 127.0.0.1 that this test starts and stops: what the fake curl
// cannot show (TLS without verification, redirects, HTTP errors, the time limit, the headers).
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>

#include "model/build_config.hpp"
#include "nettruyen/fetch.hpp"
#include "support/environment.hpp"
#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Loopback {
  testing::TempDir dir;
  std::unique_ptr<testing::BackgroundProcess> server;
  int http_port = 0;
  int https_port = 0;
  int closed_port = 0;
  std::unique_ptr<testing::ScopedEnvironment> environment;

  std::string http(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(http_port) + path;
  }
};

class RealCurl : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto loopback = std::make_unique<Loopback>();
    const std::filesystem::path& dir = loopback->dir.path();
    const auto certificate = testing::run_process(
        {"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
         "-nodes", "-keyout", (dir / "key.pem").string(), "-out", (dir / "cert.pem").string(),
         "-days", "2", "-subj", "/CN=demo.zentomi.test"},
        {{}, std::nullopt, std::chrono::seconds(30)});
    ASSERT_EQ(certificate.exit_status, 0) << certificate.err;
    testing::write_file(dir / "files" / "cover.png",
                        testing::read_file(testing::source_dir() /
                                           "tools/demo-site/site/covers/tiem-tra-meo-den.png"));

    loopback->server = std::make_unique<testing::BackgroundProcess>(std::vector<std::string>{
        "python3", (testing::source_dir() / "tests/nettruyen/loopback_server.py").string(),
        (dir / "cert.pem").string(), (dir / "key.pem").string(), (dir / "files").string()});
    const auto ports = loopback->server->read_line(std::chrono::seconds(20));
    ASSERT_TRUE(ports.has_value()) << "the loopback server did not start";
    std::istringstream(*ports) >> loopback->http_port >> loopback->https_port >>
        loopback->closed_port;
    ASSERT_GT(loopback->closed_port, 0) << *ports;

    // A test-only curl configuration sends the made-up https host to the loopback server.
    testing::write_file(dir / "home" / ".curlrc",
                        "connect-to = \"demo.zentomi.test:443:127.0.0.1:" +
                            std::to_string(loopback->https_port) + "\"\n");
    const std::string home = (dir / "home").string();
    loopback->environment = std::make_unique<testing::ScopedEnvironment>(
        std::map<std::string, std::optional<std::string>>{
            {"PATH", std::filesystem::path(ZENTOMI_REAL_CURL).parent_path().string()},
            {"HOME", home},
            {"CURL_HOME", home},
            {"XDG_CONFIG_HOME", std::nullopt},
            {"http_proxy", std::nullopt},
            {"https_proxy", std::nullopt},
            {"HTTPS_PROXY", std::nullopt},
            {"ALL_PROXY", std::nullopt},
            {"all_proxy", std::nullopt},
        });
    loopback_ = loopback.release();
  }
  static void TearDownTestSuite() {
    delete loopback_;
    loopback_ = nullptr;
  }
  void SetUp() override {
    if (loopback_ == nullptr) GTEST_SKIP() << "no loopback server (see the suite's set-up)";
  }

  static Loopback* loopback_;
};

Loopback* RealCurl::loopback_ = nullptr;

const std::string PAGE = "<html><body><h1>Trang chủ</h1><p>Đọc truyện</p></body></html>\n";

TEST_F(RealCurl, FetchesOverHttpAndOverHttpsWithoutVerifyingTheCertificate) {
  EXPECT_EQ(fetch_text(loopback_->http("/page")), PAGE);
  EXPECT_EQ(fetch_text("https://demo.zentomi.test/page"), PAGE);
}

TEST_F(RealCurl, FollowsARedirectToAnotherSchemeAndHost) {
  EXPECT_EQ(fetch_text(loopback_->http("/redirect")), PAGE);
}

TEST_F(RealCurl, AnHttpErrorIsAnAnswerWithItsBody) {
  const std::string not_found = "<html><body><h1>404 Không tìm thấy</h1></body></html>\n";
  EXPECT_EQ(fetch_text(loopback_->http("/missing")), not_found);
  EXPECT_EQ(fetch_bytes("https://demo.zentomi.test/missing"),
            Bytes(not_found.begin(), not_found.end()));
}

TEST_F(RealCurl, ImagesArriveByteForByte) {
  const std::string cover = testing::read_file(loopback_->dir / "files" / "cover.png");
  EXPECT_EQ(fetch_bytes("https://demo.zentomi.test/files/cover.png"),
            Bytes(cover.begin(), cover.end()));
}

TEST_F(RealCurl, SendsTheBrowserUserAgentAndTheSiteReferer) {
  const auto headers = fetch_text(loopback_->http("/headers"));
  ASSERT_TRUE(headers.has_value()) << headers.error();
  EXPECT_NE(headers->find("User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) "
                          "AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0.0.0 "
                          "Safari/537.36\n"),
            std::string::npos)
      << *headers;
  EXPECT_NE(headers->find(std::string("Referer: ") + SITE_ORIGIN + "/\n"), std::string::npos)
      << *headers;
}

TEST_F(RealCurl, ARefusedConnectionIsANetworkError) {
  const std::string url = "http://127.0.0.1:" + std::to_string(loopback_->closed_port) + "/page";
  EXPECT_EQ(fetch_text(url), std::unexpected(std::string("Network error: exit code Some(7)")));
  EXPECT_EQ(fetch_bytes(url), std::unexpected(std::string("Failed to download image data")));
}

TEST_F(RealCurl, APageThatNeverAnswersEndsAfterTwelveSeconds) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(fetch_text(loopback_->http("/slow")),
            std::unexpected(std::string("Network error: exit code Some(28)")));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(11'500));
  EXPECT_LT(elapsed, std::chrono::seconds(20));
}

}  // namespace
}  // namespace zentomi

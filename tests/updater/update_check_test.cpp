#include "updater/update_check.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/build_config.hpp"
#include "support/fake_curl.hpp"

namespace zentomi {
namespace {

using testing::FakeCurl;
using Arguments = std::vector<std::string>;

const std::string UNREACHABLE = "Update server unreachable. Please check your Wi-Fi connection.";
const std::string INVALID = "Invalid update manifest received from server";
// Distinct paths, because the fake curl serves by path alone.
const UpdateEndpoints TEST_ENDPOINTS{"https://updates.test/primary.json",
                                     "http://127.0.0.1:4549/fallback.json"};

std::string manifest_json(const std::string& version) {
  return R"({"version":")" + version +
         R"(","name":"Z","changelog":"C","download_url":"https://u/z.zip","size_mb":1.5})";
}

Arguments primary_arguments(const std::string& url) {
  return {"-4", "-k", "-s", "-L", "--connect-timeout", "5", "--max-time", "10", url};
}
Arguments fallback_arguments(const std::string& url) {
  return {"-4", "-k", "-s", "-L", "--connect-timeout", "3", "--max-time", "6", url};
}

struct Check {
  UpdateCheckOutcome outcome;
  std::string log;
};

Check run_check(const UpdateEndpoints& endpoints) {
  ::testing::internal::CaptureStderr();
  UpdateCheckOutcome outcome = check_for_updates(endpoints);
  return {std::move(outcome), ::testing::internal::GetCapturedStderr()};
}

TEST(UpdateCheck, BothEndpointsDownIsTheUnreachableError) {
  FakeCurl curl("exit 7");
  const UpdateEndpoints endpoints;
  const std::string primary = std::string(UPDATE_ORIGIN) + "/ota/zentomi.json";
  EXPECT_EQ(endpoints.primary, primary);
  const Check check = run_check(endpoints);
  EXPECT_EQ(check.outcome, std::unexpected(UNREACHABLE));
  EXPECT_EQ(check.log, "[OTA] Checking for updates from: " + primary +
                           "\n[OTA] Primary endpoint unreachable, checking fallback...\n");
  EXPECT_EQ(curl.command_lines(),
            (std::vector<Arguments>{primary_arguments(primary),
                                    fallback_arguments("http://127.0.0.1:4549/ota/zentomi.json")}));
}

TEST(UpdateCheck, AnEmptyPrimaryBodyFallsBackAndANewerVersionIsFound) {
  FakeCurl curl;
  curl.serve("primary.json", "");
  // Bytes that are not UTF-8 are replaced, not refused.
  curl.serve("fallback.json", R"({"version":"v1.0.10","name":"Z","changelog":"C)"
                              "\xff"
                              R"(","download_url":"https://u/z.zip"})");
  const Check check = run_check(TEST_ENDPOINTS);
  const OtaManifest expected{"v1.0.10", "Z", "C\uFFFD", "https://u/z.zip", 0.0f, std::nullopt};
  EXPECT_EQ(check.outcome, UpdateCheckOutcome(expected));
  EXPECT_EQ(check.log,
            "[OTA] Checking for updates from: https://updates.test/primary.json\n"
            "[OTA] Primary endpoint unreachable, checking fallback...\n"
            "[OTA] Found new version: v1.0.10 (current: 1.0.1)\n");
  EXPECT_EQ(curl.command_lines().size(), 2u);
}

TEST(UpdateCheck, ABodyFromThePrimaryIsTheOnlyOneRead) {
  {
    FakeCurl curl;
    curl.serve("primary.json", "<html><body>502 Bad Gateway</body></html>");
    curl.serve("fallback.json", manifest_json("9.9.9"));
    const Check check = run_check(TEST_ENDPOINTS);
    EXPECT_EQ(check.outcome, std::unexpected(INVALID));
    EXPECT_EQ(check.log, "[OTA] Checking for updates from: https://updates.test/primary.json\n");
    EXPECT_EQ(curl.command_lines(),
              std::vector<Arguments>{primary_arguments(TEST_ENDPOINTS.primary)});
  }
  {
    FakeCurl curl;
    curl.serve("primary.json", manifest_json("v0.9"));
    const Check check = run_check(TEST_ENDPOINTS);
    EXPECT_EQ(check.outcome, UpdateCheckOutcome(std::nullopt));
    EXPECT_EQ(check.log,
              "[OTA] Checking for updates from: https://updates.test/primary.json\n"
              "[OTA] App is already up to date: 1.0.1\n");
  }
}

TEST(UpdateCheck, AReceivedVersionCannotForgeLogLines) {
  FakeCurl curl;
  curl.serve("primary.json", manifest_json("2.0\\n[App] forged\\u001b[2J\\u0085[App] again"));
  const Check check = run_check(TEST_ENDPOINTS);
  ASSERT_TRUE(check.outcome.has_value() && check.outcome->has_value());
  EXPECT_EQ((*check.outcome)->version, "2.0\n[App] forged\x1b[2J\u0085[App] again");
  // Escaped as every log line is (platform/log).
  EXPECT_TRUE(
      check.log.ends_with("\n[OTA] Found new version: 2.0\\n[App] forged\\x1b[2J"
                          "\\u0085[App] again (current: 1.0.1)\n"))
      << check.log;
}

TEST(UpdateCheck, AManifestPastItsBoundIsTooLargeNotUnreachable) {
  const std::string huge = manifest_json("9.9.9") + std::string((1 << 20) + 1, ' ');
  const struct {
    const char* primary;
    const char* fallback;  // unreachable when null
    UpdateCheckOutcome outcome;
  } cases[] = {
      {"huge", nullptr, std::unexpected(std::string(MANIFEST_TOO_LARGE_MESSAGE))},
      {"", "huge", std::unexpected(std::string(MANIFEST_TOO_LARGE_MESSAGE))},
      {"huge", "current", UpdateCheckOutcome(std::nullopt)},
  };
  for (const auto& [primary, fallback, outcome] : cases) {
    FakeCurl curl;
    const auto body = [&](std::string_view name) {
      return name == "huge" ? huge : name == "current" ? manifest_json("1.0.1") : std::string();
    };
    curl.serve("primary.json", body(primary));
    if (fallback) curl.serve("fallback.json", body(fallback));
    if (!fallback) curl.serve("fallback.json.action", "exit 7");
    EXPECT_EQ(run_check(TEST_ENDPOINTS).outcome, outcome) << primary << " " << fallback;
  }
}

TEST(UpdateCheck, AFailedOrKilledPrimaryFallsBack) {
  for (const char* action : {"exit 28", "kill"}) {
    FakeCurl curl;
    curl.serve("primary.json", manifest_json("9.9.9"));
    curl.serve("primary.json.action", action);
    curl.serve("fallback.json", manifest_json("1.0.1"));
    const Check check = run_check(TEST_ENDPOINTS);
    EXPECT_EQ(check.outcome, UpdateCheckOutcome(std::nullopt)) << action;
    EXPECT_EQ(curl.command_lines().size(), 2u) << action;
  }
}

}  // namespace
}  // namespace zentomi

#pragma once

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/environment.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi::testing {

// The demo site's fake curl first on PATH, serving the fixture files a test writes into its own
// temporary site and logging every command line it is given.
class FakeCurl {
 public:
  explicit FakeCurl(std::optional<std::string> action = std::nullopt)
      : environment_({
            {"PATH", (source_dir() / "tools/demo-site/bin").string() + ":" + inherited_path()},
            {"ZENTOMI_FAKE_CURL_ROOT", (dir_ / "site").string()},
            {"ZENTOMI_FAKE_CURL_LOG", (dir_ / "curl.log").string()},
            {"ZENTOMI_FAKE_CURL_ACTION", std::move(action)},
        }) {
    std::filesystem::create_directories(dir_ / "site");
  }

  void serve(const std::string& path, std::string_view body) {
    write_file(dir_ / "site" / path, body);
  }

  // Each invocation's arguments, without the program name.
  std::vector<std::vector<std::string>> command_lines() const {
    std::vector<std::vector<std::string>> lines;
    if (!std::filesystem::exists(dir_ / "curl.log")) return lines;
    const std::string log = read_file(dir_ / "curl.log");
    std::size_t start = 0;
    while (start < log.size()) {
      const std::size_t end = log.find('\n', start);
      lines.push_back(nlohmann::json::parse(log.substr(start, end - start)));
      start = end == std::string::npos ? log.size() : end + 1;
    }
    return lines;
  }

 private:
  static std::string inherited_path() {
    const char* path = std::getenv("PATH");
    return path ? path : "/usr/bin:/bin";
  }

  TempDir dir_;
  ScopedEnvironment environment_;
};

}  // namespace zentomi::testing

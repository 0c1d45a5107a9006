#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/child_process.hpp"

namespace zentomi {

// Only URLs beginning with "http://" or "https://" are handed to curl: anything else taken from a
// scraped page or a manifest could be read by curl as an option or a local file.
bool is_web_url(std::string_view url);

// The plain switches a caller may give curl. They go on the command line in the order the
// request lists them.
enum class CurlSwitch : std::uint8_t {
  Silent,              // -s
  FollowRedirects,     // -L
  Ipv4Only,            // -4
  NoCertificateCheck,  // -k
};

// Where curl puts the body.
namespace curl_output {
// Read from curl's standard output into ChildOutput::out, at most `limit` bytes: a longer body
// ends curl and sets ChildOutput::over_limit.
struct Memory {
  std::size_t limit = std::numeric_limits<std::size_t>::max();
  bool as_bytes = false;  // into ChildOutput::bytes instead
};
// Written by curl itself to the file (-o); ChildOutput::out is then empty.
struct File {
  std::string path;
};
}  // namespace curl_output

// One transfer, as data. The command line is, in this order: "curl", the switches, the two time
// limits, the size limit (--max-filesize) when there is one, the user agent (-A) when there is one,
// each header (-H), the output file (-o) when there is one, and last the URL with curl's globbing
// characters percent-encoded.
struct CurlRequest {
  std::string url;
  std::vector<CurlSwitch> switches;
  std::chrono::seconds connect_limit{0};  // --connect-timeout
  std::chrono::seconds total_limit{0};    // --max-time
  // The most a body written to a file may hold: curl refuses a larger announced size, and no
  // file it writes can grow past it (the child's file size limit), announced or not.
  std::optional<std::uint64_t> max_file_bytes = std::nullopt;
  std::optional<std::string> user_agent = std::nullopt;
  std::vector<std::string> headers = {};  // each a whole "Name: value" line
  std::variant<curl_output::Memory, curl_output::File> output = curl_output::Memory{};
};

struct CurlError {
  enum class Kind : std::uint8_t {
    NotAWebUrl,  // refused before anything ran: "not an http(s) URL: URL"
    NotStarted,  // curl could not be started: the system's words (os_error_text)
  };
  Kind kind;
  std::string text;
};

// A request that passed the web-URL guard, with its command line built; it runs only when asked,
// so that a caller can refuse a URL before it prepares anything else.
class CurlCommand {
 public:
  static std::expected<CurlCommand, CurlError> prepare(const CurlRequest& request);

  // The whole command line, "curl" first.
  const std::vector<std::string>& arguments() const { return arguments_; }

  // Runs curl through PATH with standard input from /dev/null and its standard output captured
  // (up to the request's limit), and waits for it. A curl that ran is a success whatever its
  // exit code.
  std::expected<ChildOutput, CurlError> run() const;

 private:
  CurlCommand(std::vector<std::string> arguments, child_output::Capture capture,
              std::optional<std::uint64_t> file_limit)
      : arguments_(std::move(arguments)), capture_(capture), file_limit_(file_limit) {}
  std::vector<std::string> arguments_;
  child_output::Capture capture_;
  std::optional<std::uint64_t> file_limit_;
};

// prepare, then run.
std::expected<ChildOutput, CurlError> run_curl(const CurlRequest& request);

}  // namespace zentomi

#include "platform/curl_runner.hpp"

#include <utility>

#include "platform/os_error.hpp"

namespace zentomi {
namespace {

// The URL as it goes on curl's command line. curl reads [1-9] and {a,b} in a URL as a series of
// transfers; a scraped value must never fan one fetch out into many, so those four characters go
// percent-encoded, as curl would send them.
std::string without_globbing(std::string_view url) {
  std::string escaped;
  escaped.reserve(url.size());
  for (const char c : url) {
    switch (c) {
      case '[':
        escaped += "%5B";
        break;
      case ']':
        escaped += "%5D";
        break;
      case '{':
        escaped += "%7B";
        break;
      case '}':
        escaped += "%7D";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

const char* switch_argument(CurlSwitch option) {
  switch (option) {
    case CurlSwitch::Silent:
      return "-s";
    case CurlSwitch::FollowRedirects:
      return "-L";
    case CurlSwitch::Ipv4Only:
      return "-4";
    case CurlSwitch::NoCertificateCheck:
      return "-k";
  }
  return "-s";  // not reached: every switch is named above
}

std::vector<std::string> curl_arguments(const CurlRequest& request) {
  std::vector<std::string> argv = {"curl"};
  for (const CurlSwitch option : request.switches)
    argv.emplace_back(switch_argument(option));
  argv.insert(argv.end(), {"--connect-timeout", std::to_string(request.connect_limit.count()),
                           "--max-time", std::to_string(request.total_limit.count())});
  if (request.max_file_bytes)
    argv.insert(argv.end(), {"--max-filesize", std::to_string(*request.max_file_bytes)});
  if (request.user_agent) argv.insert(argv.end(), {"-A", *request.user_agent});
  for (const std::string& header : request.headers)
    argv.insert(argv.end(), {"-H", header});
  if (const auto* file = std::get_if<curl_output::File>(&request.output))
    argv.insert(argv.end(), {"-o", file->path});
  argv.push_back(without_globbing(request.url));
  return argv;
}

}  // namespace

bool is_web_url(std::string_view url) {
  return url.starts_with("http://") || url.starts_with("https://");
}

std::expected<CurlCommand, CurlError> CurlCommand::prepare(const CurlRequest& request) {
  if (!is_web_url(request.url)) {
    return std::unexpected(
        CurlError{CurlError::Kind::NotAWebUrl, "not an http(s) URL: " + request.url});
  }
  const auto* memory = std::get_if<curl_output::Memory>(&request.output);
  return CurlCommand(
      curl_arguments(request),
      memory ? child_output::Capture{memory->limit, memory->as_bytes} : child_output::Capture{},
      request.max_file_bytes);
}

std::expected<ChildOutput, CurlError> CurlCommand::run() const {
  auto child =
      run_child(arguments_, ChildOptions{.output = capture_, .file_size_limit = file_limit_});
  if (!child)
    return std::unexpected(CurlError{CurlError::Kind::NotStarted, os_error_text(child.error())});
  return std::move(*child);
}

std::expected<ChildOutput, CurlError> run_curl(const CurlRequest& request) {
  const auto command = CurlCommand::prepare(request);
  if (!command) return std::unexpected(command.error());
  return command->run();
}

}  // namespace zentomi

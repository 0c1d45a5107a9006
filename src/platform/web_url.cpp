#include "platform/web_url.hpp"

namespace zentomi {

bool is_web_url(std::string_view url) {
  return url.starts_with("http://") || url.starts_with("https://");
}

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

}  // namespace zentomi

#include "model/site_origin.hpp"

#include <mutex>

#include "model/build_config.hpp"

namespace zentomi {
namespace {

std::mutex origin_lock;
std::string& current_origin() {
  static std::string origin = SITE_ORIGIN;
  return origin;
}

bool is_host_character(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.';
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string site_origin() {
  const std::scoped_lock lock(origin_lock);
  return current_origin();
}

void set_site_origin(std::string origin) {
  const std::scoped_lock lock(origin_lock);
  current_origin() = std::move(origin);
}

std::optional<std::string> valid_site_origin(std::string_view text) {
  constexpr std::string_view SCHEME = "https://";
  if (!text.starts_with(SCHEME)) return std::nullopt;
  std::string_view authority = text.substr(SCHEME.size());
  if (authority.ends_with('/')) authority.remove_suffix(1);
  const std::size_t colon = authority.find(':');
  const std::string_view host = authority.substr(0, colon);
  if (host.empty() || host.size() > 253 || host.starts_with('.') || host.starts_with('-') ||
      host.find("..") != std::string_view::npos)
    return std::nullopt;
  for (const char c : host)
    if (!is_host_character(c)) return std::nullopt;
  if (colon != std::string_view::npos) {
    const std::string_view port = authority.substr(colon + 1);
    if (port.empty() || port.size() > 5) return std::nullopt;
    unsigned number = 0;
    for (const char c : port) {
      if (!is_digit(c)) return std::nullopt;
      number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number == 0 || number > 65535) return std::nullopt;
  }
  return std::string(SCHEME) + std::string(authority);
}

}  // namespace zentomi

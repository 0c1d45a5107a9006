#include "model/site_address.hpp"

namespace zentomi {
namespace {

constexpr std::string_view TITLE_PATH = "/truyen-tranh/";

}  // namespace

std::string_view site_path(std::string_view address) {
  std::size_t scheme = 0;
  if (address.starts_with("https://")) {
    scheme = 8;
  } else if (address.starts_with("http://")) {
    scheme = 7;
  } else {
    return {};
  }
  const std::size_t path = address.find('/', scheme);
  if (path == std::string_view::npos || path == scheme) return {};
  const std::string_view rest = address.substr(path);
  return rest.starts_with(TITLE_PATH) ? rest : std::string_view();
}

bool same_title(std::string_view a, std::string_view b) {
  const std::string_view path_a = site_path(a);
  const std::string_view path_b = site_path(b);
  if (path_a.empty() || path_b.empty()) return a == b;
  return path_a == path_b;
}

std::string title_key(std::string_view address) {
  const std::string_view path = site_path(address);
  // No address holds a NUL, so a site path's key never equals another address's.
  if (path.empty()) return std::string(address);
  // Appended rather than added: GCC 12 at -O3 misreads the temporaries of `+` as overlapping.
  std::string key(1, '\0');
  key.append(path);
  return key;
}

std::string at_origin(std::string_view address, std::string_view origin) {
  const std::string_view path = site_path(address);
  if (path.empty()) return std::string(address);
  std::string moved(origin);
  moved.append(path);
  return moved;
}

}  // namespace zentomi

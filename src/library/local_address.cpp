#include "library/local_address.hpp"

namespace zentomi {

bool is_local_address(std::string_view address) {
  return address.starts_with(LOCAL_SCHEME);
}

std::string local_address(std::string_view relative_path) {
  return std::string(LOCAL_SCHEME).append(relative_path);
}

std::optional<std::string> local_relative_path(std::string_view address) {
  if (!is_local_address(address)) return std::nullopt;
  const std::string_view path = address.substr(LOCAL_SCHEME.size());
  if (path.empty() || path.find('\0') != std::string_view::npos) return std::nullopt;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find('/', start);
    const std::string_view component = path.substr(start, end - start);
    if (component.empty() || component == "." || component == "..") return std::nullopt;
    if (end == std::string_view::npos) return std::string(path);
    start = end + 1;
  }
}

}  // namespace zentomi

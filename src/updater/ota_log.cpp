#include "updater/ota_log.hpp"

#include <cstdio>
#include <string>

namespace zentomi {

void log_ota(std::initializer_list<std::string_view> parts) {
  static constexpr char HEX[] = "0123456789abcdef";
  std::string line;
  for (const std::string_view part : parts) {
    for (const char c : part) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte == 0x7F) {
        line += "\\x";
        line += HEX[byte >> 4];
        line += HEX[byte & 0xF];
      } else {
        line += c;
      }
    }
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace zentomi

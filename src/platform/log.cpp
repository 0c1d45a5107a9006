#include "platform/log.hpp"

#include <cstdlib>

namespace zentomi {
namespace {

void append_escaped(std::string& line, std::string_view text) {
  static constexpr char HEX[] = "0123456789abcdef";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n') {
      line += "\\n";
    } else if (byte == '\r') {
      line += "\\r";
    } else if (byte == '\t') {
      line += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      line += "\\x";
      line += HEX[byte >> 4];
      line += HEX[byte & 0xF];
    } else if (byte == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      // U+0080 to U+009F, which some terminals and log readers take as line ends (U+0085).
      const auto second = static_cast<unsigned char>(text[++i]);
      line += "\\u00";
      line += HEX[second >> 4];
      line += HEX[second & 0xF];
    } else {
      line += static_cast<char>(byte);
    }
  }
}

void write_all(std::FILE* out, std::string_view bytes) noexcept {
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fflush(out);
}

}  // namespace

std::string format_log_line(std::string_view tag, std::string_view text) {
  std::string line;
  line.reserve(tag.size() + text.size() + 4);
  line += '[';
  line += tag;
  line += "] ";
  append_escaped(line, text);
  line += '\n';
  return line;
}

void log_line(std::string_view tag, std::string_view text, std::FILE* out) noexcept {
  try {
    write_all(out, format_log_line(tag, text));
  } catch (...) {
    // Only an exhausted memory gets here; the tag still tells which subsystem wanted to speak.
    std::fputc('[', out);
    std::fwrite(tag.data(), 1, tag.size(), out);
    std::fputs("]\n", out);
    std::fflush(out);
  }
}

void stop_program(std::string_view message) noexcept {
  std::fwrite(message.data(), 1, message.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  std::_Exit(101);
}

}  // namespace zentomi

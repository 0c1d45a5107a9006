// The manifest reader must accept any text without reading outside it or exhausting the stack:
// either a manifest whose texts are well-formed UTF-8 whenever the input is, or nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "unicode/utf8.hpp"
#include "updater/manifest.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto manifest = zentomi::parse_manifest(text);
  if (!manifest) return 0;
  // Surrounding white space changes nothing.
  if (zentomi::parse_manifest(" \n" + std::string(text) + "\t\r") != manifest) __builtin_trap();
  if (zentomi::unicode::is_valid_utf8(text)) {
    for (const std::string* field :
         {&manifest->version, &manifest->name, &manifest->changelog, &manifest->download_url}) {
      if (!zentomi::unicode::is_valid_utf8(*field)) __builtin_trap();
    }
  }
  return 0;
}

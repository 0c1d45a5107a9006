#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/files.hpp"

namespace zentomi::testing {

// A file of tests/fixtures/images (written by its make-images.py).
inline std::vector<std::uint8_t> image_fixture(const std::string& name) {
  const std::string content = read_file(source_dir() / "tests/fixtures/images" / name);
  return {content.begin(), content.end()};
}

}  // namespace zentomi::testing

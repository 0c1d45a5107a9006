#include "support/files.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zentomi::testing {

std::string read_file(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream content;
  content << file.rdbuf();
  return std::move(content).str();
}

void write_file(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

namespace {
std::filesystem::path from_environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr)
    throw std::runtime_error(std::string(name) + " is not set; run under ctest");
  return value;
}
}  // namespace

std::filesystem::path source_dir() {
  return from_environment("ZENTOMI_SOURCE_DIR");
}
std::filesystem::path binary_dir() {
  return from_environment("ZENTOMI_BINARY_DIR");
}

}  // namespace zentomi::testing

#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zentomi::testing {

std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, std::string_view content);

// The source and build trees, as CTest passes them to every test.
std::filesystem::path source_dir();
std::filesystem::path binary_dir();

}  // namespace zentomi::testing

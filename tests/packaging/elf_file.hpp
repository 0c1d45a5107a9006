#pragma once

#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <vector>

namespace zentomi::testing {

// What decides whether an executable runs on the console as it is: its machine, and whether it
// asks for a dynamic loader or shared libraries.
struct ElfSummary {
  std::uint16_t type = 0;     // ET_EXEC, ET_DYN, ...
  std::uint16_t machine = 0;  // EM_AARCH64, EM_X86_64, ...
  bool has_interpreter = false;
  bool has_dynamic_segment = false;
  std::vector<std::string> needed;  // DT_NEEDED entries, in order
  bool has_symbol_table = false;    // false once stripped
};

// Reads a little-endian 64-bit ELF file; every offset is checked against the data.
std::expected<ElfSummary, std::string> read_elf_summary(std::span<const unsigned char> data);

}  // namespace zentomi::testing

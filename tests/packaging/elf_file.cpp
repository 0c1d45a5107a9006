#include "packaging/elf_file.hpp"

#include <elf.h>

#include <cstring>
#include <optional>

namespace zentomi::testing {
namespace {

// A copy of a structure at an offset, or nothing when it does not fit in the data.
template <typename T>
std::optional<T> read_at(std::span<const unsigned char> data, std::uint64_t offset) {
  if (offset > data.size() || data.size() - offset < sizeof(T)) return std::nullopt;
  T value;
  std::memcpy(&value, data.data() + offset, sizeof(T));
  return value;
}

std::optional<std::string> string_at(std::span<const unsigned char> data, const Elf64_Shdr& table,
                                     std::uint64_t index) {
  if (table.sh_offset > data.size() || index >= table.sh_size ||
      data.size() - table.sh_offset < table.sh_size)
    return std::nullopt;
  const auto* begin = reinterpret_cast<const char*>(data.data() + table.sh_offset + index);
  const std::size_t room = table.sh_size - index;
  const std::size_t length = strnlen(begin, room);
  if (length == room) return std::nullopt;
  return std::string(begin, length);
}

std::expected<std::vector<std::string>, std::string> needed_libraries(
    std::span<const unsigned char> data, const Elf64_Ehdr& header, const Elf64_Shdr& dynamic) {
  const auto strings =
      dynamic.sh_link < header.e_shnum
          ? read_at<Elf64_Shdr>(
                data, header.e_shoff + std::uint64_t{dynamic.sh_link} * sizeof(Elf64_Shdr))
          : std::nullopt;
  if (!strings) return std::unexpected("dynamic string table out of bounds");
  std::vector<std::string> needed;
  for (std::uint64_t at = 0; at + sizeof(Elf64_Dyn) <= dynamic.sh_size; at += sizeof(Elf64_Dyn)) {
    const auto entry = read_at<Elf64_Dyn>(data, dynamic.sh_offset + at);
    if (!entry) return std::unexpected("dynamic section out of bounds");
    if (entry->d_tag == DT_NULL) break;
    if (entry->d_tag != DT_NEEDED) continue;
    const auto name = string_at(data, *strings, entry->d_un.d_val);
    if (!name) return std::unexpected("needed library name out of bounds");
    needed.push_back(*name);
  }
  return needed;
}

}  // namespace

std::expected<ElfSummary, std::string> read_elf_summary(std::span<const unsigned char> data) {
  const auto header = read_at<Elf64_Ehdr>(data, 0);
  if (!header || std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0)
    return std::unexpected("not an ELF file");
  if (header->e_ident[EI_CLASS] != ELFCLASS64 || header->e_ident[EI_DATA] != ELFDATA2LSB)
    return std::unexpected("not a little-endian 64-bit ELF file");

  ElfSummary summary;
  summary.type = header->e_type;
  summary.machine = header->e_machine;
  if (header->e_phnum > 0 && header->e_phentsize != sizeof(Elf64_Phdr))
    return std::unexpected("unexpected program header size");
  for (std::uint16_t i = 0; i < header->e_phnum; ++i) {
    const auto segment =
        read_at<Elf64_Phdr>(data, header->e_phoff + std::uint64_t{i} * sizeof(Elf64_Phdr));
    if (!segment) return std::unexpected("program headers out of bounds");
    summary.has_interpreter = summary.has_interpreter || segment->p_type == PT_INTERP;
    summary.has_dynamic_segment = summary.has_dynamic_segment || segment->p_type == PT_DYNAMIC;
  }
  if (header->e_shnum > 0 && header->e_shentsize != sizeof(Elf64_Shdr))
    return std::unexpected("unexpected section header size");
  for (std::uint16_t i = 0; i < header->e_shnum; ++i) {
    const auto section =
        read_at<Elf64_Shdr>(data, header->e_shoff + std::uint64_t{i} * sizeof(Elf64_Shdr));
    if (!section) return std::unexpected("section headers out of bounds");
    summary.has_symbol_table = summary.has_symbol_table || section->sh_type == SHT_SYMTAB;
    if (section->sh_type != SHT_DYNAMIC) continue;
    auto needed = needed_libraries(data, *header, *section);
    if (!needed) return std::unexpected(needed.error());
    summary.needed = std::move(*needed);
  }
  return summary;
}

}  // namespace zentomi::testing

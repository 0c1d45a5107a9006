#include "platform/memory.hpp"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace zentomi {
namespace {

constexpr std::uintptr_t PAGE = LARGE_PAGE_BYTES;

TEST(Memory, OnlyWholeLargePagesInsideTheBufferAreNamed) {
  struct Case {
    std::uintptr_t start;
    std::size_t bytes;
    AddressRange expected;
  };
  const Case cases[] = {
      {4 * PAGE, 3 * PAGE, {4 * PAGE, 3 * PAGE}},            // aligned at both ends
      {4 * PAGE + 16, 3 * PAGE, {5 * PAGE, 2 * PAGE}},       // the partial pages at each end left
      {4 * PAGE - 16, 2 * PAGE + 32, {4 * PAGE, 2 * PAGE}},  // just over two pages
      {4 * PAGE + 16, PAGE, {5 * PAGE, 0}},                  // within two pages, none whole
      {4 * PAGE, PAGE - 1, {4 * PAGE, 0}},                   // one byte short of a page
  };
  for (const Case& c : cases) {
    const AddressRange range = whole_large_pages(c.start, c.bytes);
    EXPECT_EQ(range.bytes, c.expected.bytes) << c.start << " + " << c.bytes;
    if (c.expected.bytes != 0) {
      EXPECT_EQ(range.start, c.expected.start) << c.start;
    }
  }
}

// The kernel's flags for the mapping holding `address` (smaps' VmFlags line).
std::string mapping_flags(std::uintptr_t address) {
  std::ifstream smaps("/proc/self/smaps");
  bool inside = false;
  for (std::string line; std::getline(smaps, line);) {
    unsigned long from = 0, to = 0;
    if (std::sscanf(line.c_str(), "%lx-%lx ", &from, &to) == 2) {
      inside = from <= address && address < to;
    } else if (inside && line.starts_with("VmFlags:")) {
      return line;
    }
  }
  return "";
}

TEST(Memory, AFreshBufferIsAdvisedToUseLargePagesAndItsNeighboursAreNot) {
  if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled"))
    GTEST_SKIP() << "this kernel has no large pages for ordinary memory";
  if (!std::string_view(ZENTOMI_TEST_EMULATOR).empty())
    GTEST_SKIP() << "the emulator accepts the advice without passing it on";
  const std::size_t mapped = 8 * PAGE;
  void* mapping = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(mapping, MAP_FAILED);
  const auto base = reinterpret_cast<std::uintptr_t>(mapping);
  const std::uintptr_t buffer = (base + PAGE - 1) / PAGE * PAGE + 16;  // as malloc places one
  prefer_large_pages(reinterpret_cast<void*>(buffer), 4 * PAGE);
  EXPECT_NE(mapping_flags(buffer - 16 + PAGE).find(" hg"), std::string::npos);
  EXPECT_NE(mapping_flags(buffer - 16 + 4 * PAGE - 1).find(" hg"), std::string::npos);
  EXPECT_EQ(mapping_flags(buffer).find(" hg"), std::string::npos) << "shares a page with others";
  EXPECT_EQ(mapping_flags(buffer + 4 * PAGE).find(" hg"), std::string::npos);
  munmap(mapping, mapped);
}

}  // namespace
}  // namespace zentomi

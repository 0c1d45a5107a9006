// zentomi-scrape KIND FILE [--url URL]: the program's scrapers on a page saved from the site.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/files.hpp"
#include "scrape_report.hpp"

namespace {

// Saved pages are a few hundred kilobytes; anything far larger is not one.
constexpr std::uintmax_t PAGE_LIMIT = 64u << 20;
constexpr int STATUS_FAILED = 1;
constexpr int STATUS_USAGE = 2;

int usage() {
  std::fputs("usage: zentomi-scrape listing|detail|pages FILE [--url URL]\n", stderr);
  return STATUS_USAGE;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "zentomi-scrape: %s\n", message.c_str());
  return STATUS_FAILED;
}

int run(int argc, char** argv) {
  if (argc != 3 && argc != 5) return usage();
  const std::string_view kind = argv[1];
  const std::string path = argv[2];
  std::string url;
  if (argc == 5) {
    if (std::string_view(argv[3]) != "--url") return usage();
    url = argv[4];
  }
  if (kind != "listing" && kind != "detail" && kind != "pages") return usage();

  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > PAGE_LIMIT) return fail(path + ": larger than a saved page can be");
  const auto page = zentomi::read_whole_file(path);
  if (!page) return fail(path + ": " + std::strerror(page.error()));
  const auto report = zentomi::scrape_report(kind, *page, url);
  if (!report) return fail(path + ": " + report.error());
  std::fputs(report->c_str(), stdout);
  return std::fflush(stdout) == 0 ? 0
                                  : fail("standard output: " + std::string(std::strerror(errno)));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& exception) {
    return fail(exception.what());
  }
}

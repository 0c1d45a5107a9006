// Test helper: records reading progress in a loop until it is killed, continuing from the page
// the store holds and printing each page once record_progress has returned.
#include <chrono>
#include <cstdio>
#include <optional>

#include "storage/store.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: storage_progress_writer DATA_DIR\n", stderr);
    return 2;
  }
  using namespace zentomi;
  Store store(StorePaths{argv[1], argv[1]});
  const std::optional<MangaItem> item = MangaItem{"Đảo Hải Tặc", "https://x/truyen/dao-hai-tac",
                                                  "https://x/c.jpg", "Chương 1100", "9M"};
  std::optional<MangaHistory> current = store.get_history_entry(item->url);
  std::uint64_t page = current ? current->last_page_idx + 1 : 0;
  // A bound in case the test that should kill it does not.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (; std::chrono::steady_clock::now() < give_up; ++page) {
    store.record_progress(item, "Chương 1100", "https://x/truyen/dao-hai-tac/chuong-1100", page,
                          1'000'000, current, std::chrono::system_clock::now());
    std::printf("%llu\n", static_cast<unsigned long long>(page));
    std::fflush(stdout);
  }
  return 1;
}

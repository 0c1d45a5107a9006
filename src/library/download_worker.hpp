#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "images/fetch_function.hpp"
#include "library/downloads.hpp"
#include "platform/clock.hpp"
#include "storage/file_system.hpp"

namespace zentomi {

// Below this much free space on the card no page is downloaded.
inline constexpr std::uint64_t FREE_SPACE_FLOOR_BYTES = std::uint64_t{100} << 20;
// Each page is tried this many times before its chapter fails.
inline constexpr int PAGE_TRIES = 3;

// "Thẻ nhớ đầy: còn N MB", N the free space in whole MiB.
std::string card_full_message(std::uint64_t free_bytes);

// Why a chapter's page list could not be had: `network` when the page could not be fetched at all
// (the queue then waits for the network instead of failing chapter after chapter).
struct PagesFailure {
  std::string message;
  bool network = false;
};

// What the worker needs from the world; tests give fakes.
struct DownloadServices {
  std::function<std::expected<std::vector<std::string>, PagesFailure>(std::string_view)> load_pages;
  FetchBytes fetch_bytes;
  std::shared_ptr<FileSystem> files = std::make_shared<PosixFileSystem>();
  std::function<std::optional<std::uint64_t>(const std::string&)> free_bytes;
  WallClock clock = wall_now;
  std::chrono::milliseconds retry_pause{2000};
  std::chrono::milliseconds network_wait{30000};
};

// How the one running the worker hears from it and stops it.
struct DownloadRun {
  // Told of each chapter as it begins and of its pages as they land, and of no chapter once it
  // ends; false when nobody listens any more, which stops the worker.
  std::function<bool(DownloadProgress)> report = [](const DownloadProgress&) { return true; };
  // Asked before each page and whenever the worker wakes: true stops it as Downloads::stop() does.
  std::function<bool()> stop_asked = [] { return false; };
};

// The download worker: reads what the card holds and the queue file, then downloads the queue
// one chapter and one page at a time and does every file operation the main loop asked for,
// until Downloads::stop() or `run` stops it. A chapter stopped half-way stays partial, to be
// resumed. Never throws for anything on the card or the network.
void run_download_worker(Downloads& downloads, const DownloadServices& services,
                         const DownloadRun& run = {});

}  // namespace zentomi

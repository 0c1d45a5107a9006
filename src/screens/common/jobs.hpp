#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "model/favourites_news.hpp"
#include "model/ota.hpp"

namespace zentomi {

// The pieces of slow work that controllers and result handling may ask for.
namespace job {
struct HomeListing {
  bool operator==(const HomeListing&) const = default;
};
struct Detail {
  std::string url;
  bool operator==(const Detail&) const = default;
};
// Page lists and page images carry the number of the request (AppState::last_request) that asked
// for them, handed back with the answer: only the newest request's answer is applied.
struct ChapterPages {
  std::string url;
  std::uint64_t request = 0;
  bool operator==(const ChapterPages&) const = default;
};
struct PageImage {
  std::string url;
  std::size_t index = 0;
  std::string chapter_url;  // handed back with the image, so a late page finds its chapter
  std::uint64_t request = 0;
  std::uint32_t drawn_width = 0;  // the widest a strip is drawn (the screen's width)
  bool operator==(const PageImage&) const = default;
};
struct UpdateCheck {
  bool operator==(const UpdateCheck&) const = default;
};
struct Install {
  OtaManifest manifest;  // its package, and what the package must match
  bool operator==(const Install&) const = default;
};
struct Search {
  std::string query;
  bool operator==(const Search&) const = default;
};
// The card's Manga folder, scanned unless it still looks as it did for `known_fingerprint`.
struct LocalScan {
  std::uint64_t known_fingerprint = 0;
  bool operator==(const LocalScan&) const = default;
};
// Refreshes the favourites named, one at a time. A newer request stops the one running: an empty
// one stops it and does nothing more.
struct FavouritesCheck {
  std::vector<FavouriteTarget> targets;
  std::uint64_t request = 0;  // handed back with every answer
  bool operator==(const FavouritesCheck&) const = default;
};
// The download queue, worked through for as long as the program runs: it reports each chapter's
// pages as they land (DownloadProgress).
struct Download {
  bool operator==(const Download&) const = default;
};
}  // namespace job

using JobRequest =
    std::variant<job::HomeListing, job::Detail, job::ChapterPages, job::PageImage, job::UpdateCheck,
                 job::Install, job::Search, job::LocalScan, job::FavouritesCheck, job::Download>;

// Controllers never start threads themselves; they ask for a job here. Production runs each on a
// detached thread that sends its WorkerResult (and a long job its progress before it); tests
// record the requests.
class Jobs {
 public:
  virtual ~Jobs() = default;
  virtual void start(JobRequest request) = 0;
};

}  // namespace zentomi

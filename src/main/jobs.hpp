#pragma once

#include <cstddef>
#include <string>
#include <variant>

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
struct ChapterPages {
  std::string url;
  bool operator==(const ChapterPages&) const = default;
};
struct PageImage {
  std::string url;
  std::size_t index = 0;
  std::string chapter_url;  // handed back with the image, so a late page finds its chapter
  bool operator==(const PageImage&) const = default;
};
struct UpdateCheck {
  bool operator==(const UpdateCheck&) const = default;
};
struct Install {
  std::string url;
  bool operator==(const Install&) const = default;
};
}  // namespace job

using JobRequest = std::variant<job::HomeListing, job::Detail, job::ChapterPages, job::PageImage,
                                job::UpdateCheck, job::Install>;

// Controllers never start threads themselves; they ask for a job here. Production runs each on a
// detached thread that sends one WorkerResult; tests record the requests.
class Jobs {
 public:
  virtual ~Jobs() = default;
  virtual void start(JobRequest request) = 0;
};

}  // namespace zentomi

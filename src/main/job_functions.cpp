#include "main/job_functions.hpp"

#include <string>
#include <variant>

#include "images/page_image.hpp"
#include "model/overloaded.hpp"
#include "nettruyen/chapter_pages.hpp"
#include "nettruyen/detail_page.hpp"
#include "nettruyen/fetch.hpp"
#include "nettruyen/home_listing.hpp"
#include "platform/log.hpp"

namespace zentomi {
namespace {

// Kinds of work this build cannot do yet answer nothing rather than a made-up result.
std::optional<WorkerResult> not_available(const JobRequest& request) {
  log_line("App", "Job not available in this build: " + std::string(job_name(request)));
  return std::nullopt;
}

}  // namespace

std::optional<WorkerResult> run_job(const JobRequest& request) {
  using Result = std::optional<WorkerResult>;
  return std::visit(
      Overloaded{
          [](const job::HomeListing&) -> Result { return HomeLoaded{load_home_listing()}; },
          [](const job::Detail& detail) -> Result {
            return DetailLoaded{load_manga_detail(detail.url), detail.url};
          },
          [](const job::ChapterPages& chapter) -> Result {
            return PagesLoaded{load_chapter_pages(chapter.url), chapter.url};
          },
          [](const job::PageImage& page) -> Result {
            return PageImageLoaded{load_page_image(page.url, fetch_bytes), page.index,
                                   page.chapter_url};
          },
          [&](const job::UpdateCheck&) -> Result { return not_available(request); },
          [&](const job::Install&) -> Result { return not_available(request); },
      },
      request);
}

}  // namespace zentomi

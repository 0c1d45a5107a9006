#include "main/job_functions.hpp"

#include <cstdio>
#include <variant>

#include "images/page_image.hpp"
#include "nettruyen/chapter_pages.hpp"
#include "nettruyen/detail_page.hpp"
#include "nettruyen/fetch.hpp"
#include "nettruyen/home_listing.hpp"

namespace zentomi {
namespace {

const char* job_name(const JobRequest& request) {
  static constexpr const char* NAMES[] = {"HomeListing", "Detail",      "ChapterPages",
                                          "PageImage",   "UpdateCheck", "Install"};
  return NAMES[request.index()];
}

}  // namespace

std::optional<WorkerResult> run_job(const JobRequest& request) {
  if (std::holds_alternative<job::HomeListing>(request)) return HomeLoaded{load_home_listing()};
  if (const auto* detail = std::get_if<job::Detail>(&request)) {
    return DetailLoaded{load_manga_detail(detail->url), detail->url};
  }
  if (const auto* chapter = std::get_if<job::ChapterPages>(&request)) {
    return PagesLoaded{load_chapter_pages(chapter->url), chapter->url};
  }
  if (const auto* page = std::get_if<job::PageImage>(&request)) {
    return PageImageLoaded{load_page_image(page->url, fetch_bytes), page->index, page->chapter_url};
  }
  // Kinds of work this build cannot do yet answer nothing rather than a made-up result.
  std::fprintf(stderr, "[App] Job not available in this build: %s\n", job_name(request));
  return std::nullopt;
}

}  // namespace zentomi

#include "app/job_functions.hpp"

#include <string>
#include <utility>
#include <variant>

#include "images/page_image.hpp"
#include "library/download_files.hpp"
#include "library/local_address.hpp"
#include "library/local_pages.hpp"
#include "library/local_titles.hpp"
#include "model/overloaded.hpp"
#include "nettruyen/chapter_pages.hpp"
#include "nettruyen/detail_page.hpp"
#include "nettruyen/fetch.hpp"
#include "nettruyen/home_listing.hpp"
#include "nettruyen/search_results.hpp"

namespace zentomi {
namespace {

// Ends the install for the tracker however the job ends.
struct TrackedInstall {
  InstallTracker* tracker;
  ~TrackedInstall() {
    if (tracker) tracker->end();
  }
};

std::optional<WorkerResult> install(const job::Install& request,
                                    const JobEnvironment& environment) {
  InstallTracker* tracker = environment.installs.get();
  // The program is ending: an install that has not begun must not begin now.
  if (tracker && !tracker->begin()) return std::nullopt;
  const TrackedInstall tracked{tracker};
  std::expected<void, std::string> installed =
      download_and_install(request.manifest, environment.install_paths);
  if (!installed) return UpdateInstallResult{update_status::Failed{std::move(installed.error())}};
  // Success is never answered: the process ends with the new version in place.
  if (environment.end_after_install) environment.end_after_install();
  return std::nullopt;
}

std::optional<DownloadedChapter> downloaded(const JobEnvironment& environment,
                                            std::string_view chapter_url) {
  if (!environment.downloads) return std::nullopt;
  return environment.downloads->find_chapter(chapter_url);
}

// A downloaded chapter's pages are its files, named by their paths on the card.
std::vector<std::string> page_paths(const DownloadedChapter& chapter) {
  std::vector<std::string> paths;
  paths.reserve(chapter.record.pages.size());
  for (const std::string& page : chapter.record.pages)
    paths.push_back(chapter.folder + "/" + page);
  return paths;
}

}  // namespace

std::expected<std::vector<std::uint8_t>, std::string> card_or_site_bytes(
    const std::string& manga_dir, std::string_view address) {
  if (is_local_address(address)) return read_local_cover(manga_dir, std::string(address));
  return fetch_bytes(address);
}

std::optional<WorkerResult> run_job(const JobRequest& request, const JobEnvironment& environment,
                                    const JobControl& control) {
  using Result = std::optional<WorkerResult>;
  return std::visit(
      Overloaded{
          [](const job::HomeListing&) -> Result { return HomeLoaded{load_home_listing()}; },
          [&](const job::Detail& detail) -> Result {
            if (is_local_address(detail.url))
              return DetailLoaded{load_local_detail(environment.manga_dir, detail.url), detail.url};
            // A title left for another fetches nothing more, and its answer is not sent.
            const FetchText fetch_while_wanted = [&control](std::string_view url) {
              if (control.superseded()) {
                return std::expected<std::string, std::string>(
                    std::unexpect, std::string("Title no longer shown"));
              }
              return fetch_text(url);
            };
            auto loaded = load_manga_detail(detail.url, fetch_while_wanted);
            if (control.superseded()) return std::nullopt;
            return DetailLoaded{std::move(loaded), detail.url};
          },
          [&](const job::ChapterPages& chapter) -> Result {
            if (const auto stored = downloaded(environment, chapter.url)) {
              return PagesLoaded{page_paths(*stored), chapter.url, chapter.request};
            }
            auto pages = is_local_address(chapter.url)
                             ? load_local_chapter_pages(environment.manga_dir, chapter.url)
                             : load_chapter_pages(chapter.url);
            return PagesLoaded{std::move(pages), chapter.url, chapter.request};
          },
          [&](const job::PageImage& page) -> Result {
            // A page of a downloaded chapter comes from its file, decoded as a fetched one is.
            const auto stored = downloaded(environment, page.chapter_url);
            const FetchBytes bytes = [&](std::string_view url) {
              if (!stored) return card_or_site_bytes(environment.manga_dir, url);
              if (page.index >= stored->record.pages.size()) {
                return std::expected<std::vector<std::uint8_t>, std::string>(
                    std::unexpect, std::string("Page not on the card"));
              }
              return read_page_file(stored->folder + "/" + stored->record.pages[page.index]);
            };
            auto image =
                load_page_image(page.url, bytes, [&control] { return !control.superseded(); });
            if (!image && control.superseded()) return std::nullopt;
            return PageImageLoaded{std::move(image), page.index, page.chapter_url, page.request};
          },
          [&](const job::UpdateCheck&) -> Result {
            return UpdateCheckResult{check_for_updates(environment.update_endpoints)};
          },
          [&](const job::Install& install_request) -> Result {
            return install(install_request, environment);
          },
          [](const job::Search& search) -> Result {
            return SearchLoaded{load_search_results(search.query), search.query};
          },
      },
      request);
}

}  // namespace zentomi

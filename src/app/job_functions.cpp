#include "app/job_functions.hpp"

#include <string>
#include <utility>
#include <variant>

#include "app/site_origin_keeping.hpp"
#include "images/page_image.hpp"
#include "model/overloaded.hpp"
#include "model/site_address.hpp"
#include "model/site_origin.hpp"
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

}  // namespace

std::optional<WorkerResult> run_job(const JobRequest& request, const JobEnvironment& environment,
                                    const JobControl& control) {
  using Result = std::optional<WorkerResult>;
  return std::visit(
      Overloaded{
          [](const job::HomeListing&) -> Result { return HomeLoaded{load_home_listing()}; },
          [&](const job::Detail& detail) -> Result {
            // A title left for another fetches nothing more, and its answer is not sent.
            const FetchText fetch_while_wanted = [&control](std::string_view url) {
              if (control.superseded()) {
                return std::expected<std::string, std::string>(
                    std::unexpect, std::string("Title no longer shown"));
              }
              return fetch_text(url);
            };
            // A title stored before the site moved is fetched where the site is now.
            auto loaded =
                load_manga_detail(at_origin(detail.url, site_origin()), fetch_while_wanted);
            if (control.superseded()) return std::nullopt;
            return DetailLoaded{std::move(loaded), detail.url};
          },
          [](const job::ChapterPages& chapter) -> Result {
            return PagesLoaded{load_chapter_pages(at_origin(chapter.url, site_origin())),
                               chapter.url, chapter.request};
          },
          [&](const job::PageImage& page) -> Result {
            auto image = load_page_image(page.url, fetch_bytes,
                                         [&control] { return !control.superseded(); });
            if (!image && control.superseded()) return std::nullopt;
            return PageImageLoaded{std::move(image), page.index, page.chapter_url, page.request};
          },
          [&](const job::UpdateCheck&) -> Result {
            return UpdateCheckResult{
                check_for_updates(environment.update_endpoints, [&](const OtaManifest& manifest) {
                  adopt_site_origin(manifest.site_origin, environment.store_paths);
                })};
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

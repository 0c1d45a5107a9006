#include "app/job_table.hpp"

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <variant>

#include "app/site_origin_keeping.hpp"
#include "images/page_image.hpp"
#include "library/download_files.hpp"
#include "library/local_address.hpp"
#include "library/local_pages.hpp"
#include "library/local_scan.hpp"
#include "library/local_titles.hpp"
#include "model/site_address.hpp"
#include "model/site_origin.hpp"
#include "nettruyen/chapter_pages.hpp"
#include "nettruyen/detail_page.hpp"
#include "nettruyen/favourites_check.hpp"
#include "nettruyen/fetch.hpp"
#include "nettruyen/home_listing.hpp"
#include "nettruyen/search_results.hpp"
#include "platform/clock.hpp"
#include "platform/log.hpp"

namespace zentomi {
namespace {

using Result = std::optional<WorkerResult>;

std::unexpected<std::string> error(std::string message) {
  return std::unexpected(std::move(message));
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

// One entry per kind of job: its kind, its body on the job's thread and its result when the body
// failed. A request type without an entry does not compile.
template <typename Request>
struct Entry;

template <>
struct Entry<job::HomeListing> {
  static constexpr JobKind kind{.name = "HomeListing"};
  static Result run(const job::HomeListing&, const JobEnvironment&, const JobControl&) {
    return HomeLoaded{load_home_listing()};
  }
  static WorkerResult failed(const job::HomeListing&, std::string message) {
    return HomeLoaded{error(std::move(message))};
  }
};

// A title's details can hold a chapter list of many megabytes, so one at a time.
template <>
struct Entry<job::Detail> {
  static constexpr JobKind kind{.name = "Detail", .lane_width = 1};
  static Result run(const job::Detail& detail, const JobEnvironment& environment,
                    const JobControl& control) {
    if (is_local_address(detail.url))
      return DetailLoaded{load_local_detail(environment.manga_dir, detail.url), detail.url};
    // A title left for another fetches nothing more, and its answer is not sent.
    const FetchText fetch_while_wanted = [&control](std::string_view url) {
      if (control.superseded()) {
        return std::expected<std::string, std::string>(std::unexpect,
                                                       std::string("Title no longer shown"));
      }
      return fetch_text(url);
    };
    // A title stored before the site moved is fetched where the site is now.
    auto loaded = load_manga_detail(at_origin(detail.url, site_origin()), fetch_while_wanted);
    if (control.superseded()) return std::nullopt;
    return DetailLoaded{std::move(loaded), detail.url};
  }
  static WorkerResult failed(const job::Detail& detail, std::string message) {
    return DetailLoaded{error(std::move(message)), detail.url};
  }
};

template <>
struct Entry<job::ChapterPages> {
  static constexpr JobKind kind{.name = "ChapterPages", .lane_width = 1};
  static Result run(const job::ChapterPages& chapter, const JobEnvironment& environment,
                    const JobControl&) {
    if (const auto stored = downloaded(environment, chapter.url)) {
      return PagesLoaded{page_paths(*stored), chapter.url, chapter.request};
    }
    auto pages = is_local_address(chapter.url)
                     ? load_local_chapter_pages(environment.manga_dir, chapter.url)
                     : load_chapter_pages(at_origin(chapter.url, site_origin()));
    return PagesLoaded{std::move(pages), chapter.url, chapter.request};
  }
  static WorkerResult failed(const job::ChapterPages& chapter, std::string message) {
    return PagesLoaded{error(std::move(message)), chapter.url, chapter.request};
  }
};

// Two page images at once keep a page turn from waiting long on one slow download.
template <>
struct Entry<job::PageImage> {
  static constexpr JobKind kind{.name = "PageImage", .lane_width = 2};
  static Result run(const job::PageImage& page, const JobEnvironment& environment,
                    const JobControl& control) {
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
    auto image = load_page_image(
        page.url, bytes, [&control] { return !control.superseded(); }, page.drawn_width);
    if (!image && control.superseded()) return std::nullopt;
    return PageImageLoaded{std::move(image), page.index, page.chapter_url, page.request};
  }
  static WorkerResult failed(const job::PageImage& page, std::string message) {
    return PageImageLoaded{error(std::move(message)), page.index, page.chapter_url, page.request};
  }
};

template <>
struct Entry<job::UpdateCheck> {
  static constexpr JobKind kind{.name = "UpdateCheck"};
  static Result run(const job::UpdateCheck&, const JobEnvironment& environment, const JobControl&) {
    return UpdateCheckResult{
        check_for_updates(environment.update_endpoints, [&](const OtaManifest& manifest) {
          adopt_site_origin(manifest.site_origin, environment.store_paths);
        })};
  }
  static WorkerResult failed(const job::UpdateCheck&, std::string message) {
    return UpdateCheckResult{error(std::move(message))};
  }
};

// Ends the install for the tracker however the job ends.
struct TrackedInstall {
  InstallTracker* tracker;
  ~TrackedInstall() {
    if (tracker) tracker->end();
  }
};

template <>
struct Entry<job::Install> {
  static constexpr JobKind kind{.name = "Install"};
  static Result run(const job::Install& request, const JobEnvironment& environment,
                    const JobControl&) {
    InstallTracker* tracker = environment.installs.get();
    // The program is ending: an install that has not begun must not begin now.
    if (tracker && !tracker->begin()) return std::nullopt;
    const TrackedInstall tracked{tracker};
    std::expected<void, std::string> installed =
        download_and_install(request.manifest, environment.install_paths);
    if (!installed) {
      return UpdateInstallResult{update_status::Failed{std::move(installed.error())}};
    }
    // Success is never answered: the process ends with the new version in place.
    if (environment.end_after_install) environment.end_after_install();
    return std::nullopt;
  }
  static WorkerResult failed(const job::Install&, std::string message) {
    return UpdateInstallResult{update_status::Failed{std::move(message)}};
  }
};

template <>
struct Entry<job::Search> {
  // Only the newest search is shown, so only one runs and one waits.
  static constexpr JobKind kind{.name = "Search", .lane_width = 1};
  static Result run(const job::Search& search, const JobEnvironment&, const JobControl& control) {
    // A search the user has replaced is not fetched, and its answer is let go.
    if (control.superseded()) return std::nullopt;
    auto results = load_search_results(search.query);
    if (control.superseded()) return std::nullopt;
    return SearchLoaded{std::move(results), search.query};
  }
  static WorkerResult failed(const job::Search& search, std::string message) {
    return SearchLoaded{error(std::move(message)), search.query};
  }
};

// One scan at a time, so opening the library again and again never piles them up. The
// fingerprint is taken first: a change made during the scan shows at the next one.
template <>
struct Entry<job::LocalScan> {
  static constexpr JobKind kind{.name = "LocalScan", .lane_width = 1};
  static Result run(const job::LocalScan& scan, const JobEnvironment& environment,
                    const JobControl&) {
    const std::uint64_t fingerprint = local_library_fingerprint(environment.manga_dir);
    if (scan.known_fingerprint != 0 && fingerprint == scan.known_fingerprint)
      return LocalScanned{std::vector<MangaItem>{}, fingerprint, true};
    const LocalLibrary library = scan_local_library(environment.manga_dir);
    if (library.truncated) log_line("Library", "The Manga folder holds more than is shown");
    std::vector<MangaItem> items;
    items.reserve(library.titles.size());
    for (const LocalTitle& title : library.titles)
      items.push_back(local_title_item(title));
    return LocalScanned{std::move(items), fingerprint, false};
  }
  static WorkerResult failed(const job::LocalScan&, std::string message) {
    return LocalScanned{error(std::move(message))};
  }
};

// Waits `pause`, or less when a newer check stops this one; false then.
bool wait_unless_superseded(std::chrono::milliseconds pause, const JobControl& control) {
  constexpr std::chrono::milliseconds STEP{50};
  SteadyClock clock;
  const std::chrono::nanoseconds end = clock.now() + pause;
  for (std::chrono::nanoseconds now = clock.now(); now < end; now = clock.now()) {
    if (control.superseded()) return false;
    clock.sleep_for(std::min<std::chrono::nanoseconds>(STEP, end - now));
  }
  return !control.superseded();
}

template <>
struct Entry<job::FavouritesCheck> {
  // One check at a time, each one request at a time.
  static constexpr JobKind kind{.name = "FavouritesCheck", .lane_width = 1};
  static Result run(const job::FavouritesCheck& check, const JobEnvironment&,
                    const JobControl& control) {
    if (check.targets.empty() || control.superseded()) return std::nullopt;
    const CheckRun run{
        .fetch = [](std::string_view url) { return fetch_text(url); },
        .wait =
            [&control](std::chrono::milliseconds pause) {
              return wait_unless_superseded(pause, control);
            },
        .refreshed =
            [&](std::size_t index, FavouriteNews news) {
              control.report(FavouriteRefreshed{check.targets[index].url, std::move(news), index,
                                                check.targets.size(), check.request});
            },
    };
    auto checked = check_favourites(check.targets, run);
    // Stopped by the user: nobody waits for the end.
    if (control.superseded()) return std::nullopt;
    if (!checked) return FavouritesCheckEnded{std::move(checked.error()), check.request};
    return FavouritesCheckEnded{std::nullopt, check.request};
  }
  static WorkerResult failed(const job::FavouritesCheck& check, std::string message) {
    return FavouritesCheckEnded{std::move(message), check.request};
  }
};

// The queue is worked through for the whole run, so only the progress it reports counts as
// activity; it ends when the program stops it, when nobody receives its reports or when a newer
// download job is asked for.
template <>
struct Entry<job::Download> {
  static constexpr JobKind kind{.name = "Download", .lane_width = 1, .long_running = true};
  static Result run(const job::Download&, const JobEnvironment& environment,
                    const JobControl& control) {
    if (!environment.downloads) return std::nullopt;
    const DownloadRun run{
        .report =
            [&control](DownloadProgress progress) { return control.report(std::move(progress)); },
        .stop_asked = [&control] { return control.superseded(); },
    };
    run_download_worker(*environment.downloads, environment.download_services, run);
    return DownloadProgress{};
  }
  // The runner has logged why; the screens learn that no chapter is being downloaded.
  static WorkerResult failed(const job::Download&, const std::string& /*message*/) {
    return DownloadProgress{};
  }
};

// Calls `use(Entry<R>{}, request)` for the request's own type R.
template <typename Use>
decltype(auto) with_entry(const JobRequest& request, Use&& use) {
  return std::visit(
      [&](const auto& typed) -> decltype(auto) {
        return use(Entry<std::decay_t<decltype(typed)>>{}, typed);
      },
      request);
}

}  // namespace

std::expected<std::vector<std::uint8_t>, std::string> card_or_site_bytes(
    const std::string& manga_dir, std::string_view address) {
  if (is_local_address(address)) return read_local_cover(manga_dir, std::string(address));
  return fetch_bytes(address);
}

JobKind job_kind(const JobRequest& request) {
  return with_entry(request, [](auto entry, const auto&) { return decltype(entry)::kind; });
}

std::string_view job_name(const JobRequest& request) {
  return job_kind(request).name;
}

Result run_job(const JobRequest& request, const JobEnvironment& environment,
               const JobControl& control) {
  return with_entry(request, [&](auto entry, const auto& typed) {
    return decltype(entry)::run(typed, environment, control);
  });
}

WorkerResult failed_job_result(const JobRequest& request, std::string message) {
  return with_entry(request, [&](auto entry, const auto& typed) {
    return decltype(entry)::failed(typed, std::move(message));
  });
}

}  // namespace zentomi

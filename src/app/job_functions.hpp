#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/install_tracker.hpp"
#include "app/job_runner.hpp"
#include "library/downloads.hpp"
#include "model/worker_result.hpp"
#include "screens/common/jobs.hpp"
#include "updater/install.hpp"
#include "updater/update_check.hpp"

namespace zentomi {

// What the update jobs need beyond their request.
struct JobEnvironment {
  UpdateEndpoints update_endpoints;
  InstallPaths install_paths;
  // Runs on the install job's thread once an update is in place: it ends the process with
  // UPDATE_EXIT_STATUS. Should it return, the job ends without a message.
  std::function<void()> end_after_install;
  // Told of each install, so that the ways out of the program wait for it; none in tests that do
  // not end the program.
  std::shared_ptr<InstallTracker> installs;
  // Where "local:" addresses lead: their titles, chapters and pages are read from there, never
  // fetched.
  std::string manga_dir;
  // What the card holds: a chapter downloaded there is always read from it, with no curl.
  std::shared_ptr<const Downloads> downloads;
};

// Image bytes for an address: for a "local:" address a page of the Manga folder (a chapter's
// address reads its first page, a title's cover), else downloaded.
std::expected<std::vector<std::uint8_t>, std::string> card_or_site_bytes(
    const std::string& manga_dir, std::string_view address);

// The work behind each job request, run on the job's own thread. A page image asked for again
// (superseded) is not decoded and sends nothing.
std::optional<WorkerResult> run_job(const JobRequest& request, const JobEnvironment& environment,
                                    const JobControl& control);

}  // namespace zentomi

#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/install_tracker.hpp"
#include "library/download_worker.hpp"
#include "library/downloads.hpp"
#include "model/worker_result.hpp"
#include "screens/common/jobs.hpp"
#include "storage/store_paths.hpp"
#include "updater/install.hpp"
#include "updater/update_check.hpp"

namespace zentomi {

// Tells a running job whether a newer request of its kind has been made since it began (only the
// newest one's answer is ever shown, so the work still ahead of this one can be skipped), and
// carries what a long job reports before its final result.
class JobControl {
 public:
  virtual ~JobControl() = default;
  virtual bool superseded() const = 0;
  // Sends an intermediate result (progress) to the main loop; false once nobody receives it.
  virtual bool report(WorkerResult progress) const = 0;
};

// How the runner treats a kind of job.
struct JobKind {
  std::string_view name;  // in log lines
  // At most this many of the kind run at once, and of the requests waiting for a place only the
  // newest is kept; 0 runs each request at once on a thread of its own.
  std::size_t lane_width = 0;
  // A job that may run for minutes (a download) is not waited for by the simulator's settle: only
  // the progress it reports counts as activity.
  bool long_running = false;
};

// What the jobs need beyond their request.
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
  // Where a site origin named by the update manifest is kept.
  StorePaths store_paths = {};
  // What the card holds: a chapter downloaded there is always read from it, with no curl. The
  // download job works through its queue with `download_services`.
  std::shared_ptr<Downloads> downloads;
  DownloadServices download_services = {};
};

// Image bytes for an address: for a "local:" address a page of the Manga folder (a chapter's
// address reads its first page, a title's cover), else downloaded.
std::expected<std::vector<std::uint8_t>, std::string> card_or_site_bytes(
    const std::string& manga_dir, std::string_view address);

// The job table: each kind of JobRequest declares its name, lane, body and failed result once, in
// job_table.cpp. These look the request's kind up there.
JobKind job_kind(const JobRequest& request);
std::string_view job_name(const JobRequest& request);

// The work behind a request, run on the job's own thread. Nothing means the job has no message to
// send (an install that succeeded ends the process instead, a superseded page is dropped).
std::optional<WorkerResult> run_job(const JobRequest& request, const JobEnvironment& environment,
                                    const JobControl& control);

// What a job whose function failed with the message sends: its own kind of result, carrying the
// message as its error (an install as a failed status; a page image keeps its index).
WorkerResult failed_job_result(const JobRequest& request, std::string message);

}  // namespace zentomi

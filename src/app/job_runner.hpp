#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/channel.hpp"
#include "model/worker_result.hpp"
#include "screens/common/jobs.hpp"

namespace zentomi {

// Tells a running job whether a newer request of its kind has been made since it began: only the
// newest one's answer is ever shown, so the work still ahead of this one can be skipped.
class JobControl {
 public:
  virtual ~JobControl() = default;
  virtual bool superseded() const = 0;
};

// Runs jobs on detached threads, each of which sends the job's one result. Nothing is joined or
// cancelled. Title details, page lists, page images and searches run in lanes: at most one or two
// of a kind at once, and of the requests waiting for a place only the newest is kept, so holding a
// key or opening titles quickly never piles up downloads. Every other job runs at once on a thread
// of its own. Counts the jobs in flight so a caller can wait until all background work has
// reported.
class ThreadJobRunner final : public Jobs {
 public:
  // How many of a kind run at once. A title's details can hold a chapter list of many megabytes,
  // so one at a time; two page images keep a page turn from waiting long on one slow download.
  static constexpr std::size_t DETAIL_LANE_WIDTH = 1;
  static constexpr std::size_t PAGE_LIST_LANE_WIDTH = 1;
  static constexpr std::size_t PAGE_IMAGE_LANE_WIDTH = 2;
  // Only the newest search is shown, so only one runs and one waits.
  static constexpr std::size_t SEARCH_LANE_WIDTH = 1;

  // Runs on the job's thread. Nothing means the job has no message to send (an install that
  // succeeded ends the process instead, a superseded page is dropped). An exception it throws
  // becomes failed_job_result with "Internal error: " and the exception's description, and an
  // "[App]" line.
  using JobFunction =
      std::function<std::optional<WorkerResult>(const JobRequest&, const JobControl&)>;

  ThreadJobRunner(Sender<WorkerResult> results, JobFunction run);

  void start(JobRequest request) override;
  // Jobs started and not yet finished, those waiting in a lane included; a waiting request that a
  // newer one replaced no longer counts.
  std::size_t in_flight() const { return in_flight_->load(); }

  struct Lane;

 private:
  void run_alone(JobRequest request);

  Sender<WorkerResult> results_;
  std::shared_ptr<const JobFunction> run_;
  std::shared_ptr<std::atomic<std::size_t>> in_flight_;
  std::shared_ptr<Lane> details_;
  std::shared_ptr<Lane> page_lists_;
  std::shared_ptr<Lane> page_images_;
  std::shared_ptr<Lane> searches_;
};

// What a job whose function failed with the message sends: its own kind of result, carrying the
// message as its error (an install as a failed status; a page image keeps its index).
WorkerResult failed_job_result(const JobRequest& request, std::string message);

}  // namespace zentomi

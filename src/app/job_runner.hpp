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

// Runs every job on a detached thread of its own, which sends the job's one result and ends.
// Nothing is joined or cancelled. Counts the jobs in flight so a caller can wait until all
// background work has reported.
class ThreadJobRunner final : public Jobs {
 public:
  // Runs on the job's thread. Nothing means the job has no message to send (an install that
  // succeeded ends the process instead). An exception it throws becomes failed_job_result with
  // "Internal error: " and the exception's description, and an "[App]" line.
  using JobFunction = std::function<std::optional<WorkerResult>(const JobRequest&)>;

  ThreadJobRunner(Sender<WorkerResult> results, JobFunction run);

  void start(JobRequest request) override;
  std::size_t in_flight() const { return in_flight_->load(); }

 private:
  Sender<WorkerResult> results_;
  std::shared_ptr<const JobFunction> run_;
  std::shared_ptr<std::atomic<std::size_t>> in_flight_;
};

// What a job whose function failed with the message sends: its own kind of result, carrying the
// message as its error (an install as a failed status; a page image keeps its index).
WorkerResult failed_job_result(const JobRequest& request, std::string message);

}  // namespace zentomi

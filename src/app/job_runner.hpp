#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "app/job_table.hpp"
#include "model/channel.hpp"
#include "model/worker_result.hpp"
#include "screens/common/jobs.hpp"

namespace zentomi {

// Runs jobs on detached threads, each of which sends the job's result, and before it whatever
// progress the job reports. Nothing is joined or cancelled. Kinds with a lane (the job table says
// which) run at most the lane's width at once, and of the requests waiting for a place only the
// newest is kept, so holding a key or opening titles quickly never piles up downloads; a lane job
// overtaken before it starts does not run. Every other job runs at once on a thread of its own.
// Counts the jobs in flight so a caller can wait until all background work has reported.
class ThreadJobRunner final : public Jobs {
 public:
  // Runs on the job's thread. Nothing means the job has no message to send. An exception it
  // throws becomes failed_job_result with "Internal error: " and the exception's description, and
  // an "[App]" line.
  using JobFunction =
      std::function<std::optional<WorkerResult>(const JobRequest&, const JobControl&)>;
  using KindOf = std::function<JobKind(const JobRequest&)>;
  using Spawn = std::function<void(std::string_view tag, std::function<void()> body)>;

  struct Options {
    KindOf kind_of = job_kind;
    Spawn spawn;  // spawn_detached when empty; tests run the bodies when they choose
  };

  ThreadJobRunner(Sender<WorkerResult> results, JobFunction run);
  ThreadJobRunner(Sender<WorkerResult> results, JobFunction run, Options options);

  void start(JobRequest request) override;
  // Jobs started and not yet finished, those waiting in a lane included; a waiting request that a
  // newer one replaced no longer counts, nor does a long-running job (its progress does).
  std::size_t in_flight() const { return in_flight_->load(); }

  struct Lane;

 private:
  void run_alone(JobRequest request, bool counted);

  Sender<WorkerResult> results_;
  std::shared_ptr<const JobFunction> run_;
  Options options_;
  std::shared_ptr<std::atomic<std::size_t>> in_flight_;
  // One per alternative of JobRequest; null for kinds without a lane.
  std::vector<std::shared_ptr<Lane>> lanes_;
};

}  // namespace zentomi

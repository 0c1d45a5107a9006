#include "app/job_runner.hpp"

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <variant>

#include "platform/log.hpp"
#include "platform/thread.hpp"

namespace zentomi {
namespace {

// Counts a job out however its thread ends, after its result has been sent, so that a caller
// never sees no job in flight and no result queued while one is on its way.
class InFlight {
 public:
  InFlight(std::atomic<std::size_t>& count, bool counted) : count_(counted ? &count : nullptr) {}
  ~InFlight() {
    if (count_) count_->fetch_sub(1);
  }
  InFlight(const InFlight&) = delete;
  InFlight& operator=(const InFlight&) = delete;

 private:
  std::atomic<std::size_t>* count_;
};

std::optional<WorkerResult> run_guarded(const ThreadJobRunner::JobFunction& run,
                                        const JobRequest& request, const JobControl& control) {
  try {
    return run(request, control);
  } catch (...) {
    const std::string description = current_exception_text();
    log_line("App",
             "Job " + std::string(job_name(request)) + " stopped by an error: " + description);
    return failed_job_result(request, "Internal error: " + description);
  }
}

// Sends the job's result; a failed send means the main loop is gone and the message is dropped.
// Nothing that goes wrong here may escape: a lane's place must outlive it.
void send_result(const Sender<WorkerResult>& results, std::optional<WorkerResult> result) {
  try {
    if (result) results.send(std::move(*result));
  } catch (...) {
    log_line("App", "A job's result was lost: " + current_exception_text());
  }
}

class AloneControl final : public JobControl {
 public:
  explicit AloneControl(const Sender<WorkerResult>& results) : results_(results) {}
  bool superseded() const override { return false; }
  bool report(WorkerResult progress) const override { return results_.send(std::move(progress)); }

 private:
  const Sender<WorkerResult>& results_;
};

}  // namespace

// One kind of job that only the newest request matters for. Requests are numbered as they come;
// a job is superseded once a later number exists.
struct ThreadJobRunner::Lane {
  explicit Lane(std::size_t lane_width) : width(lane_width) {}
  const std::size_t width;
  std::mutex mutex;
  std::optional<JobRequest> waiting;
  std::uint64_t waiting_number = 0;
  std::uint64_t newest = 0;
  std::size_t running = 0;
};

namespace {

class LaneControl final : public JobControl {
 public:
  LaneControl(ThreadJobRunner::Lane& lane, std::uint64_t number,
              const Sender<WorkerResult>& results)
      : lane_(lane), number_(number), results_(results) {}
  bool superseded() const override {
    const std::scoped_lock lock(lane_.mutex);
    return number_ < lane_.newest;
  }
  bool report(WorkerResult progress) const override { return results_.send(std::move(progress)); }

 private:
  ThreadJobRunner::Lane& lane_;
  std::uint64_t number_;
  const Sender<WorkerResult>& results_;
};

// Takes the lane's waiting request, or, when there is none, gives up the lane's place.
std::optional<std::pair<JobRequest, std::uint64_t>> next_in_lane(ThreadJobRunner::Lane& lane) {
  const std::scoped_lock lock(lane.mutex);
  if (!lane.waiting) {
    --lane.running;
    return std::nullopt;
  }
  std::pair<JobRequest, std::uint64_t> next{std::move(*lane.waiting), lane.waiting_number};
  lane.waiting.reset();
  return next;
}

}  // namespace

ThreadJobRunner::ThreadJobRunner(Sender<WorkerResult> results, JobFunction run)
    : ThreadJobRunner(std::move(results), std::move(run), Options{}) {}

ThreadJobRunner::ThreadJobRunner(Sender<WorkerResult> results, JobFunction run, Options options)
    : results_(std::move(results)),
      run_(std::make_shared<const JobFunction>(std::move(run))),
      options_(std::move(options)),
      in_flight_(std::make_shared<std::atomic<std::size_t>>(0)),
      lanes_(std::variant_size_v<JobRequest>) {
  if (!options_.spawn) options_.spawn = spawn_detached;
}

void ThreadJobRunner::start(JobRequest request) {
  const JobKind kind = options_.kind_of(request);
  const bool counted = !kind.long_running;
  if (counted) in_flight_->fetch_add(1);
  if (kind.lane_width == 0) {
    run_alone(std::move(request), counted);
    return;
  }
  std::shared_ptr<Lane>& lane = lanes_[request.index()];
  if (!lane) lane = std::make_shared<Lane>(kind.lane_width);
  std::uint64_t number = 0;
  {
    const std::scoped_lock lock(lane->mutex);
    number = ++lane->newest;
    if (lane->running >= lane->width) {
      // A request still waiting is replaced: its answer would not be shown.
      if (lane->waiting && counted) in_flight_->fetch_sub(1);
      lane->waiting = std::move(request);
      lane->waiting_number = number;
      return;
    }
    ++lane->running;
  }
  // The thread owns copies of everything it uses, so it may outlive this runner. It runs this
  // request, then whatever waits in the lane, and gives its place back when nothing does.
  options_.spawn("App", [results = results_, run = run_, in_flight = in_flight_, lane, counted,
                         first = std::optional<std::pair<JobRequest, std::uint64_t>>(
                             std::in_place, std::move(request), number)]() mutable {
    for (auto next = std::move(first); next; next = next_in_lane(*lane)) {
      const InFlight in_flight_until_sent(*in_flight, counted);
      const LaneControl control(*lane, next->second, results);
      // Overtaken while it waited for its thread: its answer would not be shown.
      if (control.superseded()) continue;
      send_result(results, run_guarded(*run, next->first, control));
    }
  });
}

void ThreadJobRunner::run_alone(JobRequest request, bool counted) {
  // The thread owns copies of everything it uses, so it may outlive this runner.
  options_.spawn("App", [results = results_, run = run_, in_flight = in_flight_, counted,
                         request = std::move(request)] {
    const InFlight in_flight_until_sent(*in_flight, counted);
    send_result(results, run_guarded(*run, request, AloneControl(results)));
  });
}

}  // namespace zentomi

#include "app/job_runner.hpp"

#include <cstdint>
#include <mutex>
#include <utility>
#include <variant>

#include "model/overloaded.hpp"
#include "platform/log.hpp"
#include "platform/thread.hpp"

namespace zentomi {
namespace {

// Counts a job out however its thread ends, after its result has been sent, so that a caller
// never sees no job in flight and no result queued while one is on its way.
class InFlight {
 public:
  explicit InFlight(std::atomic<std::size_t>& count) : count_(count) {}
  ~InFlight() { count_.fetch_sub(1); }
  InFlight(const InFlight&) = delete;
  InFlight& operator=(const InFlight&) = delete;

 private:
  std::atomic<std::size_t>& count_;
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

class NeverSuperseded final : public JobControl {
 public:
  bool superseded() const override { return false; }
};

}  // namespace

WorkerResult failed_job_result(const JobRequest& request, std::string message) {
  auto error = [&] { return std::unexpected(std::move(message)); };
  return std::visit(
      Overloaded{
          [&](const job::HomeListing&) -> WorkerResult { return HomeLoaded{error()}; },
          [&](const job::Detail& detail) -> WorkerResult {
            return DetailLoaded{error(), detail.url};
          },
          [&](const job::ChapterPages& chapter) -> WorkerResult {
            return PagesLoaded{error(), chapter.url, chapter.request};
          },
          [&](const job::PageImage& page) -> WorkerResult {
            return PageImageLoaded{error(), page.index, page.chapter_url, page.request};
          },
          [&](const job::UpdateCheck&) -> WorkerResult { return UpdateCheckResult{error()}; },
          [&](const job::Install&) -> WorkerResult {
            return UpdateInstallResult{update_status::Failed{std::move(message)}};
          },
          [&](const job::Search& search) -> WorkerResult {
            return SearchLoaded{error(), search.query};
          },
      },
      request);
}

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
  LaneControl(ThreadJobRunner::Lane& lane, std::uint64_t number) : lane_(lane), number_(number) {}
  bool superseded() const override {
    const std::scoped_lock lock(lane_.mutex);
    return number_ < lane_.newest;
  }

 private:
  ThreadJobRunner::Lane& lane_;
  std::uint64_t number_;
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
    : results_(std::move(results)),
      run_(std::make_shared<const JobFunction>(std::move(run))),
      in_flight_(std::make_shared<std::atomic<std::size_t>>(0)),
      details_(std::make_shared<Lane>(DETAIL_LANE_WIDTH)),
      page_lists_(std::make_shared<Lane>(PAGE_LIST_LANE_WIDTH)),
      page_images_(std::make_shared<Lane>(PAGE_IMAGE_LANE_WIDTH)),
      searches_(std::make_shared<Lane>(SEARCH_LANE_WIDTH)) {}

void ThreadJobRunner::start(JobRequest request) {
  in_flight_->fetch_add(1);
  std::shared_ptr<Lane> lane;
  if (std::holds_alternative<job::Detail>(request)) lane = details_;
  if (std::holds_alternative<job::ChapterPages>(request)) lane = page_lists_;
  if (std::holds_alternative<job::PageImage>(request)) lane = page_images_;
  if (std::holds_alternative<job::Search>(request)) lane = searches_;
  if (!lane) {
    run_alone(std::move(request));
    return;
  }
  std::uint64_t number = 0;
  {
    const std::scoped_lock lock(lane->mutex);
    number = ++lane->newest;
    if (lane->running >= lane->width) {
      // A request still waiting is replaced: its answer would not be shown.
      if (lane->waiting) in_flight_->fetch_sub(1);
      lane->waiting = std::move(request);
      lane->waiting_number = number;
      return;
    }
    ++lane->running;
  }
  // The thread owns copies of everything it uses, so it may outlive this runner. It runs this
  // request, then whatever waits in the lane, and gives its place back when nothing does.
  spawn_detached("App", [results = results_, run = run_, in_flight = in_flight_, lane,
                         first = std::optional<std::pair<JobRequest, std::uint64_t>>(
                             std::in_place, std::move(request), number)]() mutable {
    for (auto next = std::move(first); next; next = next_in_lane(*lane)) {
      const InFlight counted(*in_flight);
      const LaneControl control(*lane, next->second);
      std::optional<WorkerResult> result = run_guarded(*run, next->first, control);
      // The lane's place must outlive anything that goes wrong here, or the lane would stop.
      try {
        if (result) results.send(std::move(*result));
      } catch (...) {
        log_line("App", "A job's result was lost: " + current_exception_text());
      }
    }
  });
}

void ThreadJobRunner::run_alone(JobRequest request) {
  // The thread owns copies of everything it uses, so it may outlive this runner.
  spawn_detached("App", [results = results_, run = run_, in_flight = in_flight_,
                         request = std::move(request)] {
    const InFlight counted(*in_flight);
    std::optional<WorkerResult> result = run_guarded(*run, request, NeverSuperseded{});
    // A failed send means the main loop is gone; the message is dropped.
    if (result) results.send(std::move(*result));
  });
}

}  // namespace zentomi

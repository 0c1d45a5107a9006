#include "app/job_runner.hpp"

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
                                        const JobRequest& request) {
  try {
    return run(request);
  } catch (...) {
    const std::string description = current_exception_text();
    log_line("App",
             "Job " + std::string(job_name(request)) + " stopped by an error: " + description);
    return failed_job_result(request, "Internal error: " + description);
  }
}

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
            return PagesLoaded{error(), chapter.url};
          },
          [&](const job::PageImage& page) -> WorkerResult {
            return PageImageLoaded{error(), page.index, page.chapter_url};
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

ThreadJobRunner::ThreadJobRunner(Sender<WorkerResult> results, JobFunction run)
    : results_(std::move(results)),
      run_(std::make_shared<const JobFunction>(std::move(run))),
      in_flight_(std::make_shared<std::atomic<std::size_t>>(0)) {}

void ThreadJobRunner::start(JobRequest request) {
  in_flight_->fetch_add(1);
  // The thread owns copies of everything it uses, so it may outlive this runner.
  spawn_detached("App", [results = results_, run = run_, in_flight = in_flight_,
                         request = std::move(request)] {
    const InFlight counted(*in_flight);
    std::optional<WorkerResult> result = run_guarded(*run, request);
    // A failed send means the main loop is gone; the message is dropped.
    if (result) results.send(std::move(*result));
  });
}

}  // namespace zentomi

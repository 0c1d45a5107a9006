#include "main/job_runner.hpp"

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <utility>

namespace zentomi {

void spawn_detached(std::function<void()> body) {
  try {
    std::thread(std::move(body)).detach();
  } catch (const std::system_error& error) {
    std::fprintf(stderr, "failed to spawn thread: %s\n", error.what());
    std::fflush(stderr);
    std::_Exit(101);
  }
}

ThreadJobRunner::ThreadJobRunner(Sender<WorkerResult> results, JobFunction run)
    : results_(std::move(results)),
      run_(std::make_shared<const JobFunction>(std::move(run))),
      in_flight_(std::make_shared<std::atomic<std::size_t>>(0)) {}

void ThreadJobRunner::start(JobRequest request) {
  in_flight_->fetch_add(1);
  // The thread owns copies of everything it uses, so it may outlive this runner.
  spawn_detached([results = results_, run = run_, in_flight = in_flight_,
                  request = std::move(request)]() mutable {
    std::optional<WorkerResult> result = (*run)(request);
    // A failed send means the main loop is gone; the message is dropped.
    if (result) results.send(std::move(*result));
    in_flight->fetch_sub(1);
  });
}

}  // namespace zentomi

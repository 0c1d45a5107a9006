#pragma once

#include <optional>

#include "main/jobs.hpp"
#include "model/worker_result.hpp"

namespace zentomi {

// The work behind each job request, run on the job's own thread.
std::optional<WorkerResult> run_job(const JobRequest& request);

}  // namespace zentomi

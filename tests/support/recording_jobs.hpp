#pragma once

#include <vector>

#include "screens/common/jobs.hpp"

namespace zentomi::testing {

// Records every job request instead of running it; tests feed results by hand.
class RecordingJobs final : public Jobs {
 public:
  void start(JobRequest request) override { requests.push_back(std::move(request)); }
  std::vector<JobRequest> requests;
};

}  // namespace zentomi::testing

#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zentomi {

// Whether an update install is under way, so that every way out of the program lets it finish:
// ending the process while unzip or the moves run would leave a half-installed app.
class InstallTracker {
 public:
  // On the install job's thread, before anything is downloaded: false once the program has begun
  // to end, and the install must then not start.
  bool begin();
  void end();

  // Refuses installs from now on; true when one is running.
  bool close();
  // The longest an exit waits for a running install: curl gives up after 120 s in all, and unzip
  // and chmod are stopped after their own time-outs.
  static constexpr std::chrono::seconds WAIT_LIMIT{200};
  // Until no install runs, or the limit has passed (false, with a log line): a wedged card must
  // not keep the program from ending for ever.
  bool wait(std::chrono::milliseconds limit = WAIT_LIMIT);

 private:
  std::mutex mutex_;
  std::condition_variable ended_;
  int running_ = 0;
  bool closed_ = false;
};

}  // namespace zentomi

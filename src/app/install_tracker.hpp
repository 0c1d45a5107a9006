#pragma once

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
  // Until no install runs. Bounded by the install's own limits (curl's 10 s to connect and 120 s
  // in all, then unzip over a package of at most 64 MiB); a successful install ends the process
  // on its own thread meanwhile.
  void wait();

 private:
  std::mutex mutex_;
  std::condition_variable ended_;
  int running_ = 0;
  bool closed_ = false;
};

}  // namespace zentomi

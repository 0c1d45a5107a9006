#pragma once

#include <expected>
#include <map>
#include <string>

namespace zentomi {

// Logs failed saves of the store files, each failure once: a card gone read-only or full fails
// every save the same way, and a line per page turn would bury everything else in the log. A
// save is logged when it fails after the previous save of the same file succeeded or failed for
// another reason.
class SaveFailureLog {
 public:
  void record(const std::string& name, const std::expected<void, std::string>& outcome);

 private:
  std::map<std::string, std::string> last_failure_;  // by file name; absent after a success
};

}  // namespace zentomi

#include "storage/save_failure_log.hpp"

#include "platform/log.hpp"

namespace zentomi {

void SaveFailureLog::record(const std::string& name,
                            const std::expected<void, std::string>& outcome) {
  if (outcome) {
    last_failure_.erase(name);
    return;
  }
  const auto [last, added] = last_failure_.try_emplace(name, outcome.error());
  if (!added) {
    if (last->second == outcome.error()) return;
    last->second = outcome.error();
  }
  log_line("App", "Store write failed: " + name + ": " + outcome.error());
}

}  // namespace zentomi

#pragma once

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace zentomi::testing {

// Sets (or, given nothing, removes) environment variables of this process for one scope and
// puts the previous values back afterwards. Only for a test's own thread: the environment is
// process-wide and not safe to change while other threads read it.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const std::map<std::string, std::optional<std::string>>& changes) {
    for (const auto& [name, value] : changes) {
      const char* previous = std::getenv(name.c_str());
      saved_[name] = previous ? std::optional<std::string>(previous) : std::nullopt;
      apply(name, value);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_)
      apply(name, value);
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  static void apply(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace zentomi::testing

#include "platform/thread.hpp"

#include <exception>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/log.hpp"

namespace zentomi {

std::string current_exception_text() {
  try {
    throw;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "unknown error";
  }
}

void spawn_detached(std::string_view tag, std::function<void()> body) {
  try {
    std::thread([tag = std::string(tag), body = std::move(body)] {
      try {
        body();
      } catch (...) {
        try {
          log_line(tag, "Thread stopped by an error: " + current_exception_text());
        } catch (...) {
          log_line(tag, "Thread stopped by an error");
        }
      }
    }).detach();
  } catch (const std::system_error& error) {
    stop_program(std::string("failed to spawn thread: ") + error.what());
  }
}

}  // namespace zentomi

#include "app/startup.hpp"

#include <cstdlib>
#include <utility>

#include "model/build_config.hpp"
#include "platform/files.hpp"
#include "platform/log.hpp"
#include "unicode/case_mapping.hpp"
#include "unicode/utf8.hpp"
#include "unicode/white_space.hpp"
#include "updater/staged_install.hpp"

namespace zentomi {

void print_banner(std::FILE* out) {
  const std::string rule(49, '=');
  std::fprintf(out, "%s\n", rule.c_str());
  std::fputs(" 🚀 Starting Enhanced ZENTOMI for TrimUI (60 FPS)\n", out);
  std::fprintf(out, " Version: %s\n%s\n", APP_VERSION, rule.c_str());
}

bool detect_brick(const std::optional<std::string>& model_file_bytes,
                  const std::optional<std::string>& device_variable) {
  if (model_file_bytes && unicode::is_valid_utf8(*model_file_bytes)) {
    const std::string model = unicode::to_lower(unicode::trim_white_space(*model_file_bytes));
    return model.find("brick") != std::string::npos;
  }
  if (device_variable && unicode::is_valid_utf8(*device_variable)) {
    return unicode::to_lower(*device_variable).find("brick") != std::string::npos;
  }
  return false;
}

bool simulator_forced_by(const std::optional<std::string>& value) {
  if (!value) return false;
  return *value == "1" || unicode::to_lower(*value) == "true";
}

ScreenSize default_screen_size(bool brick) {
  return brick ? ScreenSize{1024, 768} : ScreenSize{1280, 720};
}

std::optional<std::string> read_model_file(const std::string& path) {
  auto bytes = read_whole_file(path);
  if (!bytes) return std::nullopt;
  return std::move(*bytes);
}

std::optional<std::string> environment_variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool finish_interrupted_install(const InstallPaths& paths) {
  const std::string directory = choose_install_directory(paths);
  const auto finished = finish_staged_install(*paths.files, directory);
  if (!finished) {
    log_line("OTA",
             "Cannot finish the interrupted update in " + directory + ": " + finished.error());
    return false;
  }
  if (*finished == StagedInstall::Discarded) {
    log_line("OTA", "Discarded an incomplete update in " + directory);
  }
  if (*finished != StagedInstall::Finished) return false;
  log_line("OTA", "Finished the interrupted update in " + directory + "; restarting");
  return true;
}

}  // namespace zentomi

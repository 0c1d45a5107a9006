#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "updater/install.hpp"

namespace zentomi {

struct ScreenSize {
  int width = 0;
  int height = 0;
  bool operator==(const ScreenSize&) const = default;
};

// The four banner lines written to standard error before anything else.
void print_banner(std::FILE* out);

// Whether the console is a TrimUI Brick. The model file wins when it reads as UTF-8 text; the
// variable is consulted only when it does not. Both are compared in Unicode lower case.
bool detect_brick(const std::optional<std::string>& model_file_bytes,
                  const std::optional<std::string>& device_variable);

// TRIMUI_SIMULATOR forces the simulator when it is exactly "1" or lower-cases to "true".
bool simulator_forced_by(const std::optional<std::string>& value);

ScreenSize default_screen_size(bool brick);

inline constexpr const char* MODEL_FILE_PATH = "/etc/trimui_device.txt";

// The model file's bytes for detect_brick; nothing when it is not a regular file that reads
// whole (a folder in its place counts as no file, so TRIMUI_DEVICE is then consulted).
std::optional<std::string> read_model_file(const std::string& path = MODEL_FILE_PATH);
std::optional<std::string> environment_variable(const char* name);

// Before anything else: finishes the install that a program ended during its moves left marked
// complete in the app folder, or discards what it left incomplete. True when the app's files
// changed: the program then ends with UPDATE_EXIT_STATUS, so that launch.sh starts what is now
// installed.
bool finish_interrupted_install(const InstallPaths& paths);

}  // namespace zentomi

#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "app/application.hpp"
#include "model/button.hpp"
#include "model/channel.hpp"
#include "script.hpp"

namespace zentomi::sim {

// Runs a script's commands against the application: presses go through the same queue as the
// console's buttons, and frames through the application's main loop.
class Simulator {
 public:
  // Called before every frame with nothing else to do; false when the user closed the window.
  using Poll = std::function<bool()>;

  Simulator(Application& application, const Sender<Button>& buttons, std::filesystem::path out,
            Poll poll = {});

  // The exit status once the script or the program ended the run; nothing when the script ran to
  // its last line without ending it.
  std::optional<int> run_script(const std::vector<ScriptLine>& script);
  // Frames until the window is closed (status 0) or the program ends itself.
  int run_until_closed();

 private:
  using Status = std::optional<int>;

  Status frame();
  Status apply(const command::Press& press);
  Status apply(const command::Frames& frames);
  Status apply(const command::Wait& wait);
  Status apply(const command::Settle& settle);
  Status apply(const command::Shot& shot);
  Status apply(const command::Quit& quit);

  Application& application_;
  const Sender<Button>& buttons_;
  std::filesystem::path out_;
  Poll poll_;
};

}  // namespace zentomi::sim

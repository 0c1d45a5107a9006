#include "screens/update/update_controller.hpp"

#include <string>
#include <utility>
#include <variant>

#include "platform/log.hpp"

namespace zentomi {
namespace {

void start_check(AppState& state, AppContext& context) {
  state.update.update_status = update_status::Checking{};
  context.jobs.start(job::UpdateCheck{});
}

}  // namespace

void open_update(AppState& state, AppContext& context) {
  if (state.update.update_manifest) return;
  if (std::holds_alternative<update_status::Checking>(state.update.update_status)) return;
  start_check(state, context);
}

bool install_running(const AppState& state) {
  return std::holds_alternative<update_status::Downloading>(state.update.update_status);
}

bool handle_update_button(AppState& state, Button button, AppContext& context) {
  switch (button) {
    case Button::A:
      // A second install would write the same package file under the first.
      if (install_running(state)) return false;
      if (!state.update.update_manifest) {
        start_check(state, context);
        return false;
      }
      state.update.update_status = update_status::Downloading{};
      context.jobs.start(job::Install{*state.update.update_manifest});
      return false;
    case Button::Y:
    case Button::Start:
      if (!install_running(state)) start_check(state, context);
      return false;
    case Button::B:
      context.go(transition::Show{Screen::Home});
      return false;
    default:
      return false;
  }
}

void apply_update_check_result(AppState& state, UpdateCheckResult& checked) {
  const bool keep_status = install_running(state);
  if (!checked.result) {
    if (!keep_status)
      state.update.update_status = update_status::Failed{std::move(checked.result.error())};
    return;
  }
  std::optional<OtaManifest>& newer = *checked.result;
  if (!newer) {
    if (!keep_status) state.update.update_status = update_status::UpToDate{};
    return;
  }
  OtaManifest& manifest = *newer;
  log_line("OTA", "Update available: v" + manifest.version);
  state.update.update_manifest = manifest;
  if (!keep_status) state.update.update_status = update_status::Available{std::move(manifest)};
}

void apply_update_install_result(AppState& state, UpdateInstallResult& installed) {
  state.update.update_status = std::move(installed.status);
}

}  // namespace zentomi

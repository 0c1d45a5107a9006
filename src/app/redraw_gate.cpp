#include "app/redraw_gate.hpp"

#include <utility>

namespace zentomi {

RedrawMode redraw_mode_from(const std::optional<std::string>& variable) {
  return variable == "1" ? RedrawMode::Always : RedrawMode::WhenChanged;
}

PictureSources picture_sources(const CoverCache& covers, const Store& store) {
  return {covers.generation(), store.favorites_stamp()};
}

bool RedrawGate::can_differ(const AppState& state, bool state_touched,
                            const PictureSources& sources, std::chrono::nanoseconds now) const {
  if (mode_ == RedrawMode::Always || !shown_state_) return true;
  if (now - composed_at_ >= HEARTBEAT) return true;
  if (sources != shown_sources_) return true;
  return state_touched && state != *shown_state_;
}

void RedrawGate::composed(const AppState& state, bool state_touched, PictureSources sources,
                          std::chrono::nanoseconds now) {
  if (mode_ == RedrawMode::Always) return;
  // An untouched state is the one already kept; copying it again would only cost time.
  if (state_touched || !shown_state_) shown_state_ = state;
  shown_sources_ = std::move(sources);
  composed_at_ = now;
}

}  // namespace zentomi

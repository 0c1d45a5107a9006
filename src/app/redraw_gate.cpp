#include "app/redraw_gate.hpp"

#include <utility>

namespace zentomi {

RedrawMode redraw_mode_from(const std::optional<std::string>& variable) {
  return variable == "1" ? RedrawMode::Always : RedrawMode::WhenChanged;
}

bool changes_with_time(const CoverCache& covers, const Downloads* downloads) {
  // A queue stopped for want of space waits for the user, not for time.
  const bool downloading =
      downloads && downloads->summary().waiting > 0 && !downloads->stop_message().has_value();
  return downloading || covers.retrying();
}

PictureSources picture_sources(const CoverCache& covers, const Store& store,
                               const Downloads* downloads) {
  return {covers.generation(), store.favorites_stamp(), downloads ? downloads->version() : 0,
          changes_with_time(covers, downloads)};
}

Store::FavoritesStamp FavoritesWatch::read(const Store& store, std::uint64_t state_version,
                                           std::chrono::nanoseconds now) {
  if (!read_at_ || now - *read_at_ >= RedrawGate::HEARTBEAT || state_version != state_version_) {
    stamp_ = store.favorites_stamp();
    read_at_ = now;
    state_version_ = state_version;
  }
  return stamp_;
}

bool RedrawGate::can_differ(std::uint64_t state_version, const PictureSources& sources,
                            std::chrono::nanoseconds now) const {
  if (mode_ == RedrawMode::Always || !shown_version_) return true;
  if (sources.timed && now - composed_at_ >= HEARTBEAT) return true;
  if (sources != shown_sources_) return true;
  return state_version != *shown_version_;
}

void RedrawGate::composed(std::uint64_t state_version, PictureSources sources,
                          std::chrono::nanoseconds now) {
  if (mode_ == RedrawMode::Always) return;
  shown_version_ = state_version;
  shown_sources_ = std::move(sources);
  composed_at_ = now;
}

}  // namespace zentomi

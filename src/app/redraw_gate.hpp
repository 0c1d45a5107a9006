#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "images/cover_cache.hpp"
#include "library/downloads.hpp"
#include "storage/store.hpp"

namespace zentomi {

enum class RedrawMode : std::uint8_t { WhenChanged, Always };

// ZENTOMI_ALWAYS_REDRAW=1 composes every frame, as a reference to compare the gate against.
RedrawMode redraw_mode_from(const std::optional<std::string>& variable);

// Everything besides the state that the screens draw from: the covers the cache holds and the
// favourites the stars show.
struct PictureSources {
  std::uint64_t covers = 0;  // the cover cache's generation
  Store::FavoritesStamp favorites;
  std::uint64_t downloads = 0;  // moves on with every change the download markers and chip show
  // Something shown changes with time: a cover waits for its next try, or a download runs, whose
  // progress no one announces.
  bool timed = false;
  bool operator==(const PictureSources&) const = default;
};

// Whether the picture can change with time alone (PictureSources::timed).
bool changes_with_time(const CoverCache& covers, const Downloads* downloads);

// Read before a frame is drawn: a change made while it is drawn then shows in the next reading.
PictureSources picture_sources(const CoverCache& covers, const Store& store,
                               const Downloads* downloads = nullptr);

// The favourites file's identity costs a stat: it is read at most once a second, and whenever the
// state has changed (a press may have saved the favourites).
class FavoritesWatch {
 public:
  Store::FavoritesStamp read(const Store& store, std::uint64_t state_version,
                             std::chrono::nanoseconds now);

 private:
  std::optional<std::chrono::nanoseconds> read_at_;
  std::uint64_t state_version_ = 0;
  Store::FavoritesStamp stamp_;
};

// Decides whether a frame composed now could look different from the one on the screen. The
// screens are drawn from the state and the picture sources alone, so a frame is composed only
// when one of them changed, or, while something shown changes with time, when a second has passed
// since the last one. A still screen is composed no more: the frame that ends the timed spell
// (a retry back-off passed) is a change of the sources, and asks for the cover again.
class RedrawGate {
 public:
  static constexpr std::chrono::seconds HEARTBEAT{1};

  explicit RedrawGate(RedrawMode mode = RedrawMode::WhenChanged) : mode_(mode) {}

  // `state_version` counts the results applied and the buttons handled: nothing else changes the
  // state, so a frame of an unchanged version shows the same state, however large it is.
  bool can_differ(std::uint64_t state_version, const PictureSources& sources,
                  std::chrono::nanoseconds now) const;
  // Records what the frame just composed was drawn from.
  void composed(std::uint64_t state_version, PictureSources sources, std::chrono::nanoseconds now);

 private:
  RedrawMode mode_;
  std::optional<std::uint64_t> shown_version_;
  PictureSources shown_sources_;
  std::chrono::nanoseconds composed_at_{0};
};

}  // namespace zentomi

#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "draw/canvas.hpp"
#include "draw/text.hpp"
#include "model/app_state.hpp"
#include "screens/common/layout_services.hpp"

namespace zentomi {

// A rectangle of the screen that a panel drawn afterwards covers whole.
struct ScreenRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

// The darkened screen behind a dialog or the keyboard. Composing it (a whole home screen, then
// every pixel darkened) costs several copies of the screen, and the panel in front changes far
// more often than what lies behind it, so the darkened picture is kept and copied while all it was
// drawn from is unchanged: the canvas size, the parts of the state the home screen shows (the
// listing, the favourites' news, the title opened last, the update status and the download
// reported in the header) and
// every answer the layout services gave while it was drawn (covers, stars, the download chip).
class Backdrop {
 public:
  using Compose = std::function<void(Renderer&, LayoutServices&)>;

  // Leaves on the canvas, everywhere but in `hole`, the darkened picture that `compose` draws from
  // the state and the services; `kind` tells apart pictures drawn differently from one state.
  void draw(Renderer& renderer, const AppState& state, LayoutServices& services, int kind,
            ScreenRect hole, const Compose& compose);
  // Lets the picture go while no panel needs it.
  void forget();

 private:
  struct Stamp {
    int kind = 0;
    int width = 0;
    int height = 0;
    HomeState home;
    FavouritesNews news;
    std::optional<MangaItem> opened_item;
    std::optional<MangaHistory> opened_history;
    UpdateStatus update_status;
    DownloadProgress download_progress;
  };
  // One question the layout asked of the services while the picture was drawn, and its answer.
  struct Answer {
    enum class Kind : std::uint8_t { Favourite, Cover, Download, Summary, StopMessage };
    Kind kind = Kind::Favourite;
    std::string argument;
    bool favourite = false;
    // Not holding the cover alive, only its identity: no other cover can take it meanwhile.
    std::weak_ptr<const RgbaImage> cover;
    ChapterDownloadStatus download;
    DownloadSummary summary;
    std::optional<std::string> stop_message;
  };
  class Recorder;

  bool matches(const AppState& state, int kind, const Canvas& canvas) const;
  bool same_answers(LayoutServices& services) const;

  std::optional<Stamp> stamp_;
  std::vector<Answer> answers_;
  Canvas picture_{0, 0};
};

}  // namespace zentomi

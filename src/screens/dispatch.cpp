#include "screens/dispatch.hpp"

#include <utility>
#include <variant>

#include "draw/canvas.hpp"
#include "draw/palette.hpp"
#include "model/overloaded.hpp"
#include "platform/log.hpp"
#include "screens/detail/detail_controller.hpp"
#include "screens/detail/detail_layout.hpp"
#include "screens/detail/detail_results.hpp"
#include "screens/home/favourites_news.hpp"
#include "screens/home/home_controller.hpp"
#include "screens/home/home_layout.hpp"
#include "screens/home/home_library.hpp"
#include "screens/home/home_results.hpp"
#include "screens/reader/reader_controller.hpp"
#include "screens/reader/reader_layout.hpp"
#include "screens/reader/reader_pages.hpp"
#include "screens/reader/reader_results.hpp"
#include "screens/search/search_controller.hpp"
#include "screens/search/search_layout.hpp"
#include "screens/update/update_controller.hpp"
#include "screens/update/update_layout.hpp"

namespace zentomi {
namespace {

bool press_on_current_screen(AppState& state, Button button, AppContext& context) {
  if (button == Button::Menu) {
    // Only the home screen says why it ends; the others end without a line.
    if (state.screen == Screen::Home) {
      log_line("App", "Clean exit requested by user via MENU button.");
    }
    return true;
  }
  switch (state.screen) {
    case Screen::Home:
      return handle_home_button(state, button, context);
    case Screen::Detail:
      return handle_detail_button(state, button, context);
    case Screen::Reader:
      return handle_reader_button(state, button, context);
    case Screen::Update:
      return handle_update_button(state, button, context);
    case Screen::Search:
      return handle_search_button(state, button, context);
  }
  return false;
}

// Each screen's entry writes its own record; only here is the screen in front changed.
void perform(AppState& state, Transition& requested, AppContext& context) {
  std::visit(Overloaded{
                 [&](transition::Show& show) { state.screen = show.screen; },
                 [&](transition::OpenTitle& open) {
                   open_title(state, context, std::move(open.item));
                   forget_chapter(state);
                   state.screen = Screen::Detail;
                 },
                 [&](transition::OpenChapter& open) {
                   open_chapter(state, context, open.title, open.url, open.start_page);
                   state.screen = Screen::Reader;
                 },
                 [&](transition::BackFromTitle&) {
                   state.screen = Screen::Home;
                   return_from_title(state, context);
                 },
                 [&](transition::Search& search) {
                   show_search(state, context.jobs, std::move(search.query));
                   state.screen = Screen::Home;
                 },
                 [&](transition::OpenUpdate&) {
                   state.screen = Screen::Update;
                   open_update(state, context);
                 },
             },
             requested);
}

// Whatever lists a favourite brings it up to date, shown or not.
void learn_about_favourites(AppState& state, const WorkerResult& result, AppContext& context) {
  if (const auto* home = std::get_if<HomeLoaded>(&result); home && home->result) {
    learn_from_listing(state, context.store, *home->result);
  } else if (const auto* search = std::get_if<SearchLoaded>(&result); search && search->result) {
    learn_from_listing(state, context.store, *search->result);
  } else if (const auto* detail = std::get_if<DetailLoaded>(&result)) {
    learn_from_detail(state, context.store, *detail, context.wall_clock());
  }
}

}  // namespace

bool handle_button(AppState& state, Button button, AppContext& context) {
  note_reading(state);
  context.requested.reset();
  const bool exit = press_on_current_screen(state, button, context);
  if (!exit && context.requested) {
    Transition requested = std::move(*context.requested);
    context.requested.reset();
    perform(state, requested, context);
  }
  keep_check_in_view(state, context.jobs);
  return exit;
}

void apply_worker_result(AppState& state, WorkerResult result, AppContext& context) {
  learn_about_favourites(state, result, context);
  std::visit(
      Overloaded{
          [&](HomeLoaded& loaded) { apply_home_loaded(state, loaded); },
          [&](DetailLoaded& loaded) { apply_detail_loaded(state, loaded, context); },
          [&](PagesLoaded& loaded) { apply_pages_loaded(state, loaded, context); },
          [&](PageImageLoaded& loaded) { apply_page_image(state, loaded, context); },
          [&](UpdateCheckResult& checked) { apply_update_check_result(state, checked); },
          [&](UpdateInstallResult& installed) { apply_update_install_result(state, installed); },
          [&](SearchLoaded& loaded) { apply_search_loaded(state, loaded); },
          [&](LocalScanned& scanned) { apply_local_scanned(state, scanned); },
          [&](FavouriteRefreshed& refreshed) {
            apply_favourite_refreshed(state, context.store, refreshed, context.wall_clock());
          },
          [&](FavouritesCheckEnded& ended) { apply_favourites_check_ended(state, ended); },
          [&](DownloadProgress& progress) { state.download_progress = std::move(progress); },
      },
      result);
}

void draw_screen(Renderer& renderer, const AppState& state, LayoutServices& services) {
  FrameMemory memory;
  draw_screen(renderer, state, services, memory);
}

void draw_screen(Renderer& renderer, const AppState& state, LayoutServices& services,
                 FrameMemory& memory) {
  const int width = renderer.canvas.width();
  const int height = renderer.canvas.height();
  // What a frame keeps goes as soon as no frame needs it.
  if (state.screen != Screen::Update && state.screen != Screen::Search) memory.backdrop.forget();
  if (state.screen != Screen::Reader) memory.pages.forget();
  switch (state.screen) {
    case Screen::Home:
      clear(renderer.canvas, palette::FRAME_BACKGROUND);
      draw_home_screen(renderer, state, services);
      return;
    case Screen::Detail:
      clear(renderer.canvas, palette::FRAME_BACKGROUND);
      draw_detail_screen(renderer, state, services);
      return;
    case Screen::Reader:
      draw_reader_screen(renderer, state, memory.pages);
      return;
    case Screen::Update:
      // The dialogs stand over the home screen as if its listing had arrived.
      memory.backdrop.draw(renderer, state, services, static_cast<int>(Screen::Update),
                           update_panel_cover(width, height),
                           [&state](Renderer& r, LayoutServices& s) {
                             clear(r.canvas, palette::FRAME_BACKGROUND);
                             draw_home_header(r, state, s);
                             draw_home_body(r, state, s, false);
                           });
      draw_update_panel(renderer, state);
      return;
    case Screen::Search:
      memory.backdrop.draw(renderer, state, services, static_cast<int>(Screen::Search),
                           search_keyboard_cover(width, height),
                           [&state](Renderer& r, LayoutServices& s) {
                             clear(r.canvas, palette::FRAME_BACKGROUND);
                             draw_home_screen(r, state, s);
                           });
      draw_search_keyboard(renderer, state);
      return;
  }
}

}  // namespace zentomi

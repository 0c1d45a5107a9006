#pragma once

#include <cstddef>
#include <string>
#include <variant>

#include "model/app_state.hpp"
#include "model/manga.hpp"

namespace zentomi {

// What a press asks of the screens beyond the current one (AppContext::go). A controller writes
// only its own screen's record; moving to another screen, and whatever that screen does on
// arrival, is performed by screens/dispatch.cpp, the one place that knows every screen.
namespace transition {
// To a screen that needs nothing on arrival (the keyboard, back to the home or detail screen).
struct Show {
  Screen screen;
};
struct OpenTitle {
  MangaItem item;
};
struct OpenChapter {
  std::string title;
  std::string url;
  std::size_t start_page = 0;
};
// From a title back to the home screen, which shows its list anew (the favourites may have
// changed meanwhile).
struct BackFromTitle {};
struct Search {
  std::string query;
};
struct OpenUpdate {};
}  // namespace transition

using Transition =
    std::variant<transition::Show, transition::OpenTitle, transition::OpenChapter,
                 transition::BackFromTitle, transition::Search, transition::OpenUpdate>;

}  // namespace zentomi

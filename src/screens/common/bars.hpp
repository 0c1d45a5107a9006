#pragma once

#include "draw/text.hpp"
#include "model/app_state.hpp"

namespace zentomi {

// The bars every browsing screen shares: the header above (home, detail and under the update
// dialogs) and the footer of key hints below.
namespace bars {
inline constexpr int HEADER_HEIGHT = 52;
inline constexpr int FOOTER_HEIGHT = 42;
}  // namespace bars

// The sort mode as the header names it.
const char* sort_mode_label(SortMode mode);

// The header bar with the title, the filter, view and sort chips, the version and the update
// indicator.
void draw_home_header(Renderer& renderer, const AppState& state);

// The footer bar with one line of key hints in secondary text of `size` pixels.
void draw_footer(Renderer& renderer, const char* hint, float size);

}  // namespace zentomi

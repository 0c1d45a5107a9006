#pragma once

#include "draw/text.hpp"
#include "model/app_state.hpp"
#include "screens/common/layout_services.hpp"

namespace zentomi {

// The bars every browsing screen shares: the header above (home, detail and under the update
// dialogs) and the footer of key hints below.
namespace bars {
inline constexpr int HEADER_HEIGHT = 52;
inline constexpr int FOOTER_HEIGHT = 42;
}  // namespace bars

// The sort mode as the header names it.
const char* sort_mode_label(SortMode mode);

// "⬇ 3 · 12/40": the chapters still to download, and the pages of the running one.
std::string download_chip_text(const DownloadSummary& summary);

// The header bar with the title, the filter, view and sort chips, the version and the update
// indicator, and while the download queue runs or is stopped, its chip before the version.
void draw_home_header(Renderer& renderer, const AppState& state, LayoutServices& services);

// The footer bar with one line of key hints in secondary text of `size` pixels.
void draw_footer(Renderer& renderer, const char* hint, float size);

}  // namespace zentomi

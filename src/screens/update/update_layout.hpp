#pragma once

#include <string>

#include "draw/text.hpp"
#include "model/app_state.hpp"
#include "model/ota.hpp"
#include "screens/common/backdrop.hpp"

namespace zentomi {

// The dialog's line about the newer version: its version with one "v" (a manifest may write
// "v1.0.2" or "1.0.2"), this program's version and the package size to one decimal.
std::string new_version_line(const OtaManifest& manifest);

// What the update panel covers whole on a screen of that size.
ScreenRect update_panel_cover(int width, int height);

// The update screen's centred 640 x 360 panel over the darkened screen drawn before it: the
// update dialog when a newer version is known, or else the checking, error or up-to-date view of
// the update status.
void draw_update_panel(Renderer& renderer, const AppState& state);

}  // namespace zentomi

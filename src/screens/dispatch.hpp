#pragma once

#include "draw/image_drawing.hpp"
#include "draw/text.hpp"
#include "model/app_state.hpp"
#include "model/button.hpp"
#include "model/worker_result.hpp"
#include "screens/common/app_context.hpp"
#include "screens/common/backdrop.hpp"
#include "screens/common/layout_services.hpp"

// The one place that knows every screen: it hands a press to the current screen's controller,
// performs the transition the press asked for, hands each job result to the screen that asked for
// it, and draws the current screen. A new screen adds itself here and in its own folder.
namespace zentomi {

// Applies one press to the controller of the current screen. True requests exit. MENU leaves the
// program from every screen, so it is handled here once.
bool handle_button(AppState& state, Button button, AppContext& context);

// Hands a job's result to the screen it belongs to, whichever screen is in front.
void apply_worker_result(AppState& state, WorkerResult result, AppContext& context);

// What drawing keeps from one frame for the frames after it.
struct FrameMemory {
  Backdrop backdrop;  // behind the update dialogs and the keyboard
  DrawnPages pages;   // the reader's
};

// Draws the current screen of the state onto the renderer's canvas, starting from the frame
// background. `memory` lets a frame reuse what an earlier one composed; the picture is the same.
void draw_screen(Renderer& renderer, const AppState& state, LayoutServices& services,
                 FrameMemory& memory);
// The same from nothing kept.
void draw_screen(Renderer& renderer, const AppState& state, LayoutServices& services);

}  // namespace zentomi

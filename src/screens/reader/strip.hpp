#pragma once

#include <cstddef>
#include <cstdint>

#include "model/app_state.hpp"

// Scroll reading as one strip: the page shown (page_index, its top `scroll` rows above the
// screen) and under it, with no gap, the next page once it has arrived.
namespace zentomi::strip {

// The drawn height of a page in the strip at the reader's width level.
long long height(const AppState& state, const RgbaImage& image);

// The furthest `scroll` may go. With the next page here, to the end of the two; while it is on
// its way, until the boundary reaches the screen's middle, the loading panel below it; with
// nothing after the page (the last, or one that failed), to its last screenful.
std::int32_t limit(const AppState& state);

// The page shown is wholly above the screen: the next one takes its place.
bool passed_page(const AppState& state);

// The end of the page shown is within a screen and the page after it is neither here nor asked
// for: it should be fetched now.
bool wants_next(const AppState& state);

// The page that fills most of the screen (the HUD counts it).
std::size_t page_in_view(const AppState& state);

// Where the screen's middle line lies in the chapter, from 0 to 1: the pages before it and the
// part of its page above it.
float position(const AppState& state);

// Where the boundary under the page shown lies on the screen.
long long boundary(const AppState& state);

}  // namespace zentomi::strip

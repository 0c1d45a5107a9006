#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "model/app_state.hpp"
#include "model/manga.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// A downloaded chapter is deleted by a second SELECT at most this long after the first.
inline constexpr std::chrono::seconds DELETE_CONFIRM_WINDOW{3};
// R2 queues the selected chapter and this many in all, going on in reading order.
inline constexpr std::size_t CHAPTERS_PER_R2 = 10;

// The selected chapter and the ones read after it, `count` in all: the site lists chapters newest
// first, so they are the ones before it there, nearest first.
std::vector<ChapterRef> chapters_from(std::span<const ChapterRef> site_order,
                                      const std::string& chapter_url, std::size_t count);

// SELECT on the detail screen: a chapter not on the card is queued, a queued or running one is
// cancelled, a downloaded one is deleted by a second SELECT within the confirmation window.
void select_chapter_download(AppState& state, AppContext& context);

// R2 on the detail screen: the selected chapter and the next nine in reading order are queued,
// those on the card or queued already skipped.
void queue_next_chapters(AppState& state, AppContext& context);

// The title's page could not be fetched: when the card holds some of its chapters, the detail
// screen shows the title as its record kept it, listing those chapters only. False when the card
// holds none.
bool show_stored_detail(AppState& state, const Downloads& downloads);

}  // namespace zentomi

#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "model/app_state.hpp"
#include "model/button.hpp"

// The on-screen keyboard's keys, shared by its controller (where the D-pad goes) and its layout
// (where each key is drawn).
namespace zentomi::keyboard {

// Rows of keys; the blank is the space bar, drawn wider at the end of the last row.
inline constexpr std::array<std::string_view, 4> ROWS = {"1234567890", "qwertyuiop", "asdfghjkl",
                                                         "zxcvbnm "};

// Longest query the keyboard types, so it fits above the keys and in the header's chip.
inline constexpr std::size_t QUERY_LIMIT = 30;

// How many past queries R2 brings back.
inline constexpr std::size_t RECENT_QUERIES = 5;

// The key the D-pad moves to. Past an edge it wraps to the other end of the row or column; Up and
// Down keep the column, or take the last key of a shorter row.
void move_key(SearchState& search, Button button);

// Keeps a searched query as the newest recent one (once), and starts the recall over from it.
void remember_query(SearchState& search, const std::string& query);

// Puts the next recent query, newest first and round again, in place of what is typed; nothing
// when none was searched yet.
void recall_query(SearchState& search);

// The character of the selected key.
char selected_key(const SearchState& search);

}  // namespace zentomi::keyboard

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/store_paths.hpp"

namespace zentomi {

// What a store may hold, so that every store the program writes is small enough to be read back
// (MAX_STORE_FILE_BYTES): a save that wrote more would be set aside unread at the next start.
inline constexpr std::size_t MAX_STORED_TEXT_BYTES = 2048;
inline constexpr std::size_t MAX_HISTORY_TITLES = 2000;

// The text cut to at most MAX_STORED_TEXT_BYTES, never inside a UTF-8 sequence.
std::string cap_stored_text(std::string_view text);
void cap_stored_texts(MangaHistory& record);
void cap_stored_texts(MangaItem& item);

// Bytes one entry takes in the written form of its store, separators included: the written size
// of a store is STORE_FRAME_BYTES plus the sum over its entries (an empty store is "{}" or "[]").
inline constexpr std::uint64_t STORE_FRAME_BYTES = 2;
std::uint64_t written_history_entry_bytes(std::string_view key, const MangaHistory& record);
std::uint64_t written_favorite_bytes(const MangaItem& item);

// What a save writes: every text capped, at most MAX_HISTORY_TITLES titles (the most recently
// read; ties go to the smaller key), then the oldest dropped until the written form fits
// `byte_budget`.
HistoryMap bound_history(HistoryMap history, std::uint64_t byte_budget);
// Every text capped; the oldest favourites (the last) dropped until the written form fits.
FavoritesList bound_favorites(FavoritesList favorites, std::uint64_t byte_budget);

// Of the names in a store's directory, the copies of `name` set aside as unreadable that go, so
// that at most two remain: `kept` (the one just set aside, whatever its clock said) and the newest
// other by the name's seconds and number.
std::vector<std::string> surplus_set_aside_copies(std::string_view name, std::string_view kept,
                                                  const std::vector<std::string>& names);

}  // namespace zentomi

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "model/manga.hpp"

namespace zentomi {

// One member of a stored record: its JSON name and the field it fills. The tables below give the
// members in their written order, which is also the order of the positional (array) form.
template <typename Record>
struct RecordField {
  std::string_view name;
  std::variant<std::string Record::*, std::uint64_t Record::*> member;
};

inline constexpr std::array<RecordField<MangaItem>, 5> MANGA_ITEM_FIELDS{{
    {"title", &MangaItem::title},
    {"url", &MangaItem::url},
    {"thumb_url", &MangaItem::thumb_url},
    {"latest_chapter", &MangaItem::latest_chapter},
    {"views", &MangaItem::views},
}};

inline constexpr std::array<RecordField<MangaHistory>, 7> MANGA_HISTORY_FIELDS{{
    {"manga_url", &MangaHistory::manga_url},
    {"manga_title", &MangaHistory::manga_title},
    {"last_chapter_title", &MangaHistory::last_chapter_title},
    {"last_chapter_url", &MangaHistory::last_chapter_url},
    {"last_page_idx", &MangaHistory::last_page_idx},
    {"total_pages", &MangaHistory::total_pages},
    {"timestamp", &MangaHistory::timestamp},
}};

template <typename Record>
constexpr const auto& record_fields();
template <>
constexpr const auto& record_fields<MangaItem>() {
  return MANGA_ITEM_FIELDS;
}
template <>
constexpr const auto& record_fields<MangaHistory>() {
  return MANGA_HISTORY_FIELDS;
}

}  // namespace zentomi

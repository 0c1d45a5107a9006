#include "storage/store_bounds.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

#include "storage/record_fields.hpp"
#include "unicode/utf8.hpp"

namespace zentomi {
namespace {

bool is_continuation_byte(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The written form of a string: quoted, control characters, quotes and backslashes escaped,
// ill-formed UTF-8 replaced (as the renderer does).
std::uint64_t written_text_bytes(std::string_view text) {
  std::string sanitized;
  if (!unicode::is_valid_utf8(text)) {
    sanitized = unicode::sanitize_utf8(text);
    text = sanitized;
  }
  std::uint64_t bytes = 2;
  for (const char c : text) {
    switch (c) {
      case '"':
      case '\\':
      case '\b':
      case '\f':
      case '\n':
      case '\r':
      case '\t':
        bytes += 2;
        break;
      default:
        bytes += static_cast<unsigned char>(c) < 0x20 ? 6 : 1;
    }
  }
  return bytes;
}

std::uint64_t written_number_bytes(std::uint64_t number) {
  char digits[24];
  return static_cast<std::uint64_t>(std::to_chars(digits, digits + sizeof digits, number).ptr -
                                    digits);
}

// A record written one level deep: its members four blanks in, its closing brace two.
template <typename Record>
std::uint64_t written_record_bytes(const Record& record) {
  const auto& fields = record_fields<Record>();
  std::uint64_t bytes = 2 + 1 + 2 + 1 + 2 * (fields.size() - 1);  // "{\n", "\n", "  }", ",\n"s
  for (const auto& field : fields) {
    bytes += 4 + field.name.size() + 2 + 2;  // indentation, quoted name, ": "
    std::visit(
        [&](auto member) {
          using Value = std::remove_cvref_t<decltype(record.*member)>;
          if constexpr (std::is_same_v<Value, std::string>) {
            bytes += written_text_bytes(record.*member);
          } else {
            bytes += written_number_bytes(record.*member);
          }
        },
        field.member);
  }
  return bytes;
}

template <typename Record>
void cap_record_texts(Record& record) {
  for (const auto& field : record_fields<Record>()) {
    std::visit(
        [&](auto member) {
          using Value = std::remove_cvref_t<decltype(record.*member)>;
          if constexpr (std::is_same_v<Value, std::string>) {
            if ((record.*member).size() > MAX_STORED_TEXT_BYTES) {
              record.*member = cap_stored_text(record.*member);
            }
          }
        },
        field.member);
  }
}

}  // namespace

std::string cap_stored_text(std::string_view text) {
  if (text.size() <= MAX_STORED_TEXT_BYTES) return std::string(text);
  std::size_t end = MAX_STORED_TEXT_BYTES;
  // Back to the start of the character the cut falls in; a sequence is at most four bytes, so
  // a run of stray continuation bytes is cut where it stands.
  for (std::size_t back = 0; back < 3 && is_continuation_byte(text[end]); ++back)
    --end;
  if (is_continuation_byte(text[end])) end = MAX_STORED_TEXT_BYTES;
  return std::string(text.substr(0, end));
}

void cap_stored_texts(MangaHistory& record) {
  cap_record_texts(record);
}

void cap_stored_texts(MangaItem& item) {
  cap_record_texts(item);
}

std::uint64_t written_history_entry_bytes(std::string_view key, const MangaHistory& record) {
  // "  " key ": " record, then ",\n" or the last "\n".
  return 2 + written_text_bytes(key) + 2 + written_record_bytes(record) + 2;
}

std::uint64_t written_favorite_bytes(const MangaItem& item) {
  return 2 + written_record_bytes(item) + 2;
}

HistoryMap bound_history(HistoryMap history, std::uint64_t byte_budget) {
  struct Entry {
    std::string key;
    MangaHistory record;
    std::uint64_t bytes = 0;
  };
  std::vector<Entry> entries;
  entries.reserve(history.size());
  std::uint64_t total = STORE_FRAME_BYTES;
  bool capped = false;
  for (auto& [key, record] : history) {
    Entry entry{key, std::move(record), 0};
    if (entry.key.size() > MAX_STORED_TEXT_BYTES) {
      entry.key = cap_stored_text(entry.key);
      capped = true;
    }
    cap_stored_texts(entry.record);
    entry.bytes = written_history_entry_bytes(entry.key, entry.record);
    total += entry.bytes;
    entries.push_back(std::move(entry));
  }
  history.clear();
  const bool over = entries.size() > MAX_HISTORY_TITLES || total > byte_budget;
  if (over || capped) {
    // Newest first, so that a cut key shared by two titles keeps the newer one.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      if (a.record.timestamp != b.record.timestamp) return a.record.timestamp > b.record.timestamp;
      return a.key < b.key;
    });
  }
  total = STORE_FRAME_BYTES;
  for (Entry& entry : entries) {
    if (history.size() == MAX_HISTORY_TITLES || total + entry.bytes > byte_budget) break;
    if (history.try_emplace(std::move(entry.key), std::move(entry.record)).second) {
      total += entry.bytes;
    }
  }
  return history;
}

FavoritesList bound_favorites(FavoritesList favorites, std::uint64_t byte_budget) {
  std::uint64_t total = STORE_FRAME_BYTES;
  for (std::size_t index = 0; index < favorites.size(); ++index) {
    cap_stored_texts(favorites[index]);
    const std::uint64_t bytes = written_favorite_bytes(favorites[index]);
    if (total + bytes > byte_budget) {
      favorites.resize(index);
      break;
    }
    total += bytes;
  }
  return favorites;
}

std::vector<std::string> surplus_set_aside_copies(std::string_view name, std::string_view kept,
                                                  const std::vector<std::string>& names) {
  const std::string prefix = std::string(name) + ".corrupt-";
  // "<seconds>" or "<seconds>-<number>", the first of a second counting as number 1.
  const auto order = [&prefix](std::string_view copy) -> std::optional<std::pair<long long, int>> {
    if (!copy.starts_with(prefix)) return std::nullopt;
    const std::string_view rest = copy.substr(prefix.size());
    long long seconds = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), seconds);
    if (error != std::errc{} || end == rest.data()) return std::nullopt;
    int number = 1;
    if (end != rest.data() + rest.size()) {
      if (*end != '-') return std::nullopt;
      const char* digits = end + 1;
      const auto parsed = std::from_chars(digits, rest.data() + rest.size(), number);
      if (parsed.ec != std::errc{} || parsed.ptr == digits ||
          parsed.ptr != rest.data() + rest.size())
        return std::nullopt;
    }
    return std::make_pair(seconds, number);
  };
  std::vector<std::pair<std::pair<long long, int>, std::string>> others;
  for (const std::string& candidate : names) {
    if (candidate == kept) continue;
    if (const auto position = order(candidate)) others.emplace_back(*position, candidate);
  }
  std::sort(others.begin(), others.end());
  std::vector<std::string> surplus;
  // All but the newest other.
  for (std::size_t index = 0; index + 1 < others.size(); ++index)
    surplus.push_back(std::move(others[index].second));
  return surplus;
}

}  // namespace zentomi

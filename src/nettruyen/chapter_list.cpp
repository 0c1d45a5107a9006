#include "nettruyen/chapter_list.hpp"

#include <algorithm>

#include "json/json_reader.hpp"
#include "nettruyen/html_text.hpp"
#include "nettruyen/site.hpp"
#include "unicode/utf8.hpp"

namespace zentomi {
namespace {

constexpr std::string_view PAGE_CHAPTER_MARKER = "<div class=\"col-xs-5 chapter\">";

// One element of the service's "data": the name, and the number as the text that goes into the
// chapter URL (nothing when the item has no usable number and is skipped).
struct ApiChapterItem {
  std::string chapter_name;
  std::optional<std::string> chapter_num;
};

// A typed reading either succeeds or invalidates the whole answer.
using Items = std::vector<ApiChapterItem>;

// "chapter_num" accepts any value; only numbers and strings give a number text.
bool read_chapter_num(JsonReader& reader, std::optional<std::string>& number_text) {
  const char next = reader.peek().value_or('\0');
  if (next == '"') {
    auto text = reader.read_string();
    if (!text) return false;
    number_text = std::move(*text);
    return true;
  }
  if (next == '-' || (next >= '0' && next <= '9')) {
    const auto number = reader.read_number();
    if (!number) return false;
    if (is_json_integer(*number)) {
      number_text = std::string(*number);
      return true;
    }
    const auto value = json_number_value(*number);
    if (!value) return false;
    number_text = shortest_float_text(*value);
    return true;
  }
  number_text.reset();
  return reader.check_value();
}

bool read_chapter_name(JsonReader& reader, std::string& name) {
  auto text = reader.read_string();
  if (!text) return false;
  name = std::move(*text);
  return true;
}

bool read_item(JsonReader& reader, ApiChapterItem& item) {
  if (reader.consume('[')) {
    if (reader.consume(']')) return true;
    if (!read_chapter_name(reader, item.chapter_name)) return false;
    if (reader.consume(',') && !read_chapter_num(reader, item.chapter_num)) return false;
    return reader.consume(']');
  }
  if (!reader.consume('{')) return false;
  if (reader.consume('}')) return true;
  bool seen_name = false;
  bool seen_num = false;
  do {
    const auto key = reader.read_string();
    if (!key || !reader.consume(':')) return false;
    if (*key == "chapter_name") {
      if (seen_name || !read_chapter_name(reader, item.chapter_name)) return false;
      seen_name = true;
    } else if (*key == "chapter_num") {
      if (seen_num || !read_chapter_num(reader, item.chapter_num)) return false;
      seen_num = true;
    } else if (!reader.skip_value()) {
      return false;
    }
  } while (reader.consume(','));
  return reader.consume('}');
}

bool read_items(JsonReader& reader, Items& items) {
  if (!reader.consume('[')) return false;
  if (reader.consume(']')) return true;
  do {
    if (!read_item(reader, items.emplace_back())) return false;
  } while (reader.consume(','));
  return reader.consume(']');
}

bool read_response(JsonReader& reader, Items& items) {
  if (reader.consume('[')) {
    if (reader.consume(']')) return true;
    return read_items(reader, items) && reader.consume(']');
  }
  if (!reader.consume('{')) return false;
  if (reader.consume('}')) return true;
  bool seen_data = false;
  do {
    const auto key = reader.read_string();
    if (!key || !reader.consume(':')) return false;
    if (*key == "data") {
      if (seen_data || !read_items(reader, items)) return false;
      seen_data = true;
    } else if (!reader.skip_value()) {
      return false;
    }
  } while (reader.consume(','));
  return reader.consume('}');
}

std::optional<ChapterRef> page_chapter(std::string_view piece) {
  const auto link = find_from(piece, "<a");
  if (!link) return std::nullopt;
  const auto href = find_from(piece, "href=\"", *link);
  const auto tag_end = find_from(piece, '>', *link);
  const auto link_end = find_from(piece, "</a>", *link);
  if (!href || !tag_end || !link_end) return std::nullopt;

  const std::size_t value_start = *href + 6;
  const auto value_end = find_from(piece, '"', value_start);
  if (!value_end) return std::nullopt;
  const std::string_view value = piece.substr(value_start, *value_end - value_start);
  std::string url = value.starts_with('/') ? site_url(value) : std::string(value);

  if (*link_end < *tag_end + 1) return std::nullopt;
  std::string name = trim(piece.substr(*tag_end + 1, *link_end - *tag_end - 1));
  if (name.empty()) return std::nullopt;
  return ChapterRef{std::move(name), std::move(url)};
}

}  // namespace

std::string chapter_slug(std::string_view title_url) {
  while (title_url.ends_with('/'))
    title_url.remove_suffix(1);
  const std::size_t last_slash = title_url.rfind('/');
  if (last_slash != std::string_view::npos) title_url.remove_prefix(last_slash + 1);
  return trim(title_url);
}

std::string chapter_list_service_url(std::string_view slug) {
  return site_url("/Comic/Services/ComicService.asmx/ChapterList?slug=") + std::string(slug);
}

std::optional<std::vector<ChapterRef>> parse_chapter_service(std::string_view json,
                                                             std::string_view slug) {
  // The fetched text is always UTF-8; anything else is no answer at all.
  if (!unicode::is_valid_utf8(json)) return std::nullopt;
  JsonReader reader(json);
  Items items;
  if (!read_response(reader, items) || !reader.at_end()) return std::nullopt;

  std::vector<ChapterRef> chapters;
  const std::string url_prefix = site_url("/truyen-tranh/") + std::string(slug) + "/chuong-";
  for (ApiChapterItem& item : items) {
    if (!item.chapter_num) continue;
    std::string name = trim(item.chapter_name);
    if (name.empty()) name = "Chapter " + *item.chapter_num;
    chapters.push_back({std::move(name), url_prefix + *item.chapter_num});
  }
  return chapters;
}

std::vector<ChapterRef> parse_page_chapters(std::string_view html) {
  const std::vector<std::string_view> pieces = split_at(html, PAGE_CHAPTER_MARKER);
  std::vector<ChapterRef> chapters;
  // The first piece is whatever precedes the first chapter.
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    if (auto chapter = page_chapter(pieces[i])) chapters.push_back(std::move(*chapter));
  }
  return chapters;
}

std::optional<std::string> older_chapter_list_service_url(std::string_view slug) {
  const std::size_t dash = slug.rfind('-');
  if (dash == std::string_view::npos || dash == 0 || dash + 1 == slug.size()) return std::nullopt;
  const std::string_view number = slug.substr(dash + 1);
  if (!std::ranges::all_of(number, [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return chapter_list_service_url(slug.substr(0, dash)) + "&comicId=" + std::string(number);
}

std::vector<ChapterRef> load_chapter_list(std::string_view title_url, std::string_view page,
                                          const FetchText& fetch) {
  const std::string slug = chapter_slug(title_url);
  const auto service_list = [&](const std::string& url) {
    const auto answer = fetch(url);
    if (!answer) return std::vector<ChapterRef>();
    return parse_chapter_service(*answer, slug).value_or(std::vector<ChapterRef>());
  };
  if (!slug.empty()) {
    if (auto chapters = service_list(chapter_list_service_url(slug)); !chapters.empty())
      return chapters;
    // The older service knows a title by its slug without the number, and the number apart.
    if (const auto older = older_chapter_list_service_url(slug)) {
      if (auto chapters = service_list(*older); !chapters.empty()) return chapters;
    }
  }
  return parse_page_chapters(page);
}

}  // namespace zentomi

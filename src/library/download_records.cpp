// The records of downloads are written with nlohmann/json like the stores and read through the
// one JSON reader: each object must hold every member it is written with, once.
#include "library/download_records.hpp"

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <utility>

#include "json/json_object.hpp"
#include "json/json_reader.hpp"
#include "unicode/utf8.hpp"

namespace zentomi {
namespace {

using OrderedJson = nlohmann::ordered_json;
using ValueReader = std::function<bool(JsonReader&)>;

struct Member {
  std::string_view name;
  ValueReader read;
};

// One object whose members are exactly the given ones (in any order, each once) plus any number
// of unknown ones, which are skipped.
bool read_object(JsonReader& reader, std::initializer_list<Member> members) {
  const Member* const first = members.begin();
  return read_json_object(
      reader, members.size(), [first](std::size_t index) { return first[index].name; },
      [first, &reader](std::size_t index) { return first[index].read(reader); });
}

ValueReader text(std::string& out) {
  return [&out](JsonReader& reader) {
    std::optional<std::string> value = reader.read_string();
    if (!value) return false;
    out = std::move(*value);
    return true;
  };
}

ValueReader whole_number(std::uint64_t& out) {
  return [&out](JsonReader& reader) { return read_json_unsigned(reader, out); };
}

ValueReader truth(bool& out) {
  return [&out](JsonReader& reader) {
    if (reader.read_literal("true")) {
      out = true;
      return true;
    }
    out = false;
    return reader.read_literal("false");
  };
}

template <typename Item>
ValueReader list(std::vector<Item>& out, std::function<ValueReader(Item&)> element) {
  return [&out, element = std::move(element)](JsonReader& reader) {
    return read_json_elements(reader, '[', ']', [&] {
      Item item{};
      if (!element(item)(reader)) return false;
      out.push_back(std::move(item));
      return true;
    });
  };
}

ValueReader item_reader(MangaItem& item) {
  return [&item](JsonReader& reader) {
    return read_object(reader, {{"title", text(item.title)},
                                {"url", text(item.url)},
                                {"thumb_url", text(item.thumb_url)},
                                {"latest_chapter", text(item.latest_chapter)},
                                {"views", text(item.views)}});
  };
}

ValueReader chapter_reader(ChapterRef& chapter) {
  return [&chapter](JsonReader& reader) {
    return read_object(reader, {{"name", text(chapter.name)}, {"url", text(chapter.url)}});
  };
}

// The whole document is one value of the record's shape with only white space around it.
template <typename Record>
std::optional<Record> parse_document(std::string_view bytes,
                                     const std::function<ValueReader(Record&)>& shape) {
  if (!unicode::is_valid_utf8(bytes)) return std::nullopt;
  JsonReader reader(bytes);
  Record record{};
  if (!shape(record)(reader) || !reader.at_end()) return std::nullopt;
  return record;
}

OrderedJson clean(std::string_view value) {
  return unicode::sanitize_utf8(value);
}

OrderedJson chapter_json(const ChapterRef& chapter) {
  return OrderedJson{{"name", clean(chapter.name)}, {"url", clean(chapter.url)}};
}

std::string dump(const OrderedJson& document) {
  return document.dump(2, ' ', false, OrderedJson::error_handler_t::replace);
}

}  // namespace

std::string render_chapter_record(const ChapterRecord& record) {
  OrderedJson pages = OrderedJson::array();
  for (const std::string& page : record.pages)
    pages.push_back(clean(page));
  return dump(OrderedJson{{"name", clean(record.name)},
                          {"url", clean(record.url)},
                          {"page_count", record.pages.size()},
                          {"pages", std::move(pages)}});
}

std::optional<ChapterRecord> parse_chapter_record(std::string_view bytes) {
  std::uint64_t page_count = 0;
  auto record = parse_document<ChapterRecord>(bytes, [&page_count](ChapterRecord& out) {
    return [&out, &page_count](JsonReader& reader) {
      return read_object(reader, {{"name", text(out.name)},
                                  {"url", text(out.url)},
                                  {"page_count", whole_number(page_count)},
                                  {"pages", list<std::string>(out.pages, text)}});
    };
  });
  if (!record || record->pages.empty() || record->pages.size() != page_count) return std::nullopt;
  return record;
}

std::string render_title_record(const TitleRecord& record) {
  const MangaItem& item = record.item;
  const MangaDetail& detail = record.detail;
  OrderedJson chapters = OrderedJson::array();
  for (const ChapterRef& chapter : detail.chapters)
    chapters.push_back(chapter_json(chapter));
  return dump(OrderedJson{{"item",
                           {{"title", clean(item.title)},
                            {"url", clean(item.url)},
                            {"thumb_url", clean(item.thumb_url)},
                            {"latest_chapter", clean(item.latest_chapter)},
                            {"views", clean(item.views)}}},
                          {"detail",
                           {{"title", clean(detail.title)},
                            {"cover_url", clean(detail.cover_url)},
                            {"source", clean(detail.source)},
                            {"status", clean(detail.status)},
                            {"genres", clean(detail.genres)},
                            {"summary", clean(detail.summary)},
                            {"chapters", std::move(chapters)}}},
                          {"downloaded_at", record.downloaded_at}});
}

std::optional<TitleRecord> parse_title_record(std::string_view bytes) {
  return parse_document<TitleRecord>(bytes, [](TitleRecord& out) {
    return [&out](JsonReader& reader) {
      MangaDetail& detail = out.detail;
      const ValueReader detail_reader = [&detail](JsonReader& inner) {
        return read_object(inner,
                           {{"title", text(detail.title)},
                            {"cover_url", text(detail.cover_url)},
                            {"source", text(detail.source)},
                            {"status", text(detail.status)},
                            {"genres", text(detail.genres)},
                            {"summary", text(detail.summary)},
                            {"chapters", list<ChapterRef>(detail.chapters, chapter_reader)}});
      };
      return read_object(reader, {{"item", item_reader(out.item)},
                                  {"detail", detail_reader},
                                  {"downloaded_at", whole_number(out.downloaded_at)}});
    };
  });
}

std::string render_queue(const std::vector<QueueEntry>& queue) {
  OrderedJson document = OrderedJson::array();
  for (const QueueEntry& entry : queue) {
    document.push_back(OrderedJson{{"title_url", clean(entry.title_url)},
                                   {"title", clean(entry.title)},
                                   {"chapter", chapter_json(entry.chapter)},
                                   {"failed", entry.failed}});
  }
  return dump(document);
}

std::optional<std::vector<QueueEntry>> parse_queue(std::string_view bytes) {
  return parse_document<std::vector<QueueEntry>>(bytes, [](std::vector<QueueEntry>& out) {
    return list<QueueEntry>(out, [](QueueEntry& entry) -> ValueReader {
      return [&entry](JsonReader& reader) {
        return read_object(reader, {{"title_url", text(entry.title_url)},
                                    {"title", text(entry.title)},
                                    {"chapter", chapter_reader(entry.chapter)},
                                    {"failed", truth(entry.failed)}});
      };
    });
  });
}

}  // namespace zentomi

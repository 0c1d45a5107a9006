#include "library/local_titles.hpp"

#include <algorithm>
#include <optional>

#include "library/local_address.hpp"

namespace zentomi {

std::string local_chapter_line(std::size_t chapters) {
  return "Trên thẻ · " + std::to_string(chapters) + " chương";
}

MangaItem local_title_item(const LocalTitle& title) {
  return {.title = title.name,
          .url = title.address,
          .thumb_url = title.chapters.front().address,
          .latest_chapter = local_chapter_line(title.chapters.size()),
          .views = ""};
}

MangaDetail local_title_detail(const LocalTitle& title) {
  MangaDetail detail{.title = title.name,
                     .cover_url = title.chapters.front().address,
                     .source = "",
                     .status = "",
                     .genres = local_chapter_line(title.chapters.size()),
                     .summary = "Manga/" + local_relative_path(title.address).value_or(""),
                     .chapters = {}};
  detail.chapters.reserve(title.chapters.size());
  for (auto chapter = title.chapters.rbegin(); chapter != title.chapters.rend(); ++chapter)
    detail.chapters.push_back({chapter->name, chapter->address});
  return detail;
}

std::expected<MangaDetail, std::string> load_local_detail(const std::string& manga_root,
                                                          const std::string& address) {
  const std::optional<LocalTitle> title = scan_local_title(manga_root, address);
  if (!title) return std::unexpected("Not found in the Manga folder: " + address);
  return local_title_detail(*title);
}

}  // namespace zentomi

#pragma once

#include <string>
#include <vector>

#include "model/manga.hpp"

namespace zentomi::testing {

// The chapters `newest` down to `oldest` of the title at `title_url`, newest first as the site
// lists them.
inline std::vector<ChapterRef> chapters_down_from(const std::string& title_url, int newest,
                                                  int oldest) {
  std::vector<ChapterRef> chapters;
  for (int n = newest; n >= oldest; --n)
    chapters.push_back(
        {"Chapter " + std::to_string(n), title_url + "/chuong-" + std::to_string(n)});
  return chapters;
}

}  // namespace zentomi::testing

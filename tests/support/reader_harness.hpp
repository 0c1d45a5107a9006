#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "screens/dispatch.hpp"
#include "storage/store.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace zentomi::testing {

inline const std::string CHAPTER_A = "https://site/t/chap-1";
inline const std::string CHAPTER_B = "https://site/t/chap-2";

inline std::vector<std::string> page_urls(const std::string& chapter, std::size_t count) {
  std::vector<std::string> pages;
  for (std::size_t i = 0; i < count; ++i)
    pages.push_back(chapter + "/p" + std::to_string(i));
  return pages;
}

// An opaque white page.
inline SharedImage page(std::uint32_t width = 800, std::uint32_t height = 1200) {
  auto image = std::make_shared<RgbaImage>();
  image->width = width;
  image->height = height;
  image->pixels.assign(std::size_t{width} * height * 4, 255);
  return image;
}

// On the detail screen of one title with two chapters, newest first.
struct ReaderHarness {
  explicit ReaderHarness(int width = 1280, int height = 720)
      : state(make_initial_state(width, height)) {
    state.details.current_item = MangaItem{"One", "https://site/t", "", "", ""};
    state.details.detail = MangaDetail{};
    state.details.detail->chapters = {{"Chapter 2", CHAPTER_B}, {"Chapter 1", CHAPTER_A}};
    state.details.chapters = state.details.chapters_site_order = state.details.detail->chapters;
    state.screen = Screen::Detail;
  }
  bool press(Button button) { return handle_button(state, button, context); }
  void press(Button button, int times) {
    for (int i = 0; i < times; ++i)
      press(button);
  }
  void apply(WorkerResult result) { apply_worker_result(state, std::move(result), context); }
  // Opens the chapter at `index` of the list and delivers its page list.
  void open(std::size_t index, std::size_t page_count) {
    state.details.chapter_selected = index;
    press(Button::A);
    apply(PagesLoaded{page_urls(state.reader.chapter_url, page_count), state.reader.chapter_url,
                      state.reader.pages_request});
  }
  // Delivers the image of the page shown.
  void arrive(SharedImage image) {
    apply(PageImageLoaded{std::move(image), state.reader.page_index, state.reader.chapter_url,
                          state.reader.image_request});
  }
  std::vector<job::PageImage> page_jobs() const {
    std::vector<job::PageImage> found;
    for (const JobRequest& request : jobs.requests) {
      if (const auto* image = std::get_if<job::PageImage>(&request)) found.push_back(*image);
    }
    return found;
  }
  std::optional<MangaHistory> saved() const { return store.get_history_entry("https://site/t"); }

  TempDir dir;
  Store store{StorePaths{(dir / "sd").string(), (dir / "local").string()}};
  RecordingJobs jobs;
  AppContext context{jobs, store};
  AppState state;
};

}  // namespace zentomi::testing

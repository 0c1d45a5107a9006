#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "model/app_state.hpp"
#include "model/image.hpp"

namespace zentomi::bench {

// An opaque image of busy pixels, as a page or cover that no drawing shortcut could special-case.
inline SharedImage noisy_image(std::uint32_t width, std::uint32_t height) {
  auto image = std::make_shared<RgbaImage>();
  image->width = width;
  image->height = height;
  image->pixels.resize(std::size_t{width} * height * 4);
  for (std::size_t i = 0; i < image->pixels.size(); ++i)
    image->pixels[i] = static_cast<std::uint8_t>(i % 4 == 3 ? 255 : (i * 13) % 251);
  image->opaque = true;
  return image;
}

// The reader on page 3 of a 20-page chapter, its image not arrived yet.
inline AppState reader_scene(int width, int height) {
  AppState state = make_initial_state(width, height);
  state.screen = Screen::Reader;
  state.reader.chapter_title = "Chapter 128: Mùa thu năm ấy";
  state.reader.chapter_url = "https://site.test/truyen-tranh/t/chuong-128";
  for (int i = 0; i < 20; ++i)
    state.reader.pages.push_back("https://img.test/" + std::to_string(i) + ".jpg");
  state.reader.page_index = 2;
  state.reader.reader_loading = false;
  return state;
}

}  // namespace zentomi::bench

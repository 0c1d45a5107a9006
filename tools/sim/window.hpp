#pragma once

#include <SDL.h>

#include <expected>
#include <memory>
#include <string>

#include "draw/canvas.hpp"
#include "key_map.hpp"
#include "model/button.hpp"
#include "model/channel.hpp"

namespace zentomi::sim {

// The largest whole factor, at least 1, by which a width × height picture fits the bounds.
int window_scale(int width, int height, int bounds_width, int bounds_height);

// A desktop window that shows the canvas at a whole scale and turns the keyboard and the first
// game controller into console presses. SDL is set up for as long as the window lives; open it,
// present to it and poll it from one thread.
class Window {
 public:
  // The window for a canvas of this size, or SDL's reason why there is none.
  static std::expected<std::unique_ptr<Window>, std::string> open(int width, int height);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Shows the canvas, which must have the size the window was opened for.
  void present(const Canvas& canvas);
  // Sends the press of every waiting key and controller event; false once the window was closed.
  bool poll(const Sender<Button>& buttons);

  int scale() const { return scale_; }
  // For what the class does not wrap, such as reading back the pixels the window shows.
  SDL_Window* handle() const { return window_; }

 private:
  Window(int width, int height) : width_(width), height_(height) {}
  void show();
  void attach_controller(int device_index);
  void detach_controller(SDL_JoystickID instance);

  int width_;
  int height_;
  int scale_ = 1;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SDL_GameController* controller_ = nullptr;
  PadAxes axes_;
};

}  // namespace zentomi::sim

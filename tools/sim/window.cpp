#include "window.hpp"

#include <algorithm>

#include "platform/log.hpp"

namespace zentomi::sim {

int window_scale(int width, int height, int bounds_width, int bounds_height) {
  if (width <= 0 || height <= 0) return 1;
  return std::max(1, std::min(bounds_width / width, bounds_height / height));
}

std::expected<std::unique_ptr<Window>, std::string> Window::open(int width, int height) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return std::unexpected(std::string(SDL_GetError()));
  // From here the destructor undoes whatever was set up.
  std::unique_ptr<Window> window(new Window(width, height));
  // Without controller support the keyboard still works.
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    log_line("Sim", std::string("No game controllers: ") + SDL_GetError());
  }
  SDL_Rect bounds{};
  if (SDL_GetDisplayUsableBounds(0, &bounds) == 0) {
    window->scale_ = window_scale(width, height, bounds.w, bounds.h);
  }
  window->window_ = SDL_CreateWindow("ZENTOMI", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                     width * window->scale_, height * window->scale_, 0);
  if (window->window_ == nullptr) return std::unexpected(std::string(SDL_GetError()));
  window->renderer_ = SDL_CreateRenderer(window->window_, -1, 0);
  if (window->renderer_ == nullptr) return std::unexpected(std::string(SDL_GetError()));
  // The canvas's 0xAARRGGBB words, uploaded as they are.
  window->texture_ = SDL_CreateTexture(window->renderer_, SDL_PIXELFORMAT_ARGB8888,
                                       SDL_TEXTUREACCESS_STREAMING, width, height);
  if (window->texture_ == nullptr) return std::unexpected(std::string(SDL_GetError()));
  return window;
}

Window::~Window() {
  if (controller_ != nullptr) SDL_GameControllerClose(controller_);
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_Quit();
}

void Window::present(const Canvas& canvas) {
  if (canvas.width() != width_ || canvas.height() != height_) return;
  SDL_UpdateTexture(texture_, nullptr, canvas.data(), width_ * 4);
  show();
}

// Scaled by whole pixels: the renderer's default scaling takes the nearest pixel.
void Window::show() {
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}

bool Window::poll(const Sender<Button>& buttons) {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    switch (event.type) {
      case SDL_QUIT:
        return false;
      case SDL_CONTROLLERDEVICEADDED:
        attach_controller(event.cdevice.which);
        break;
      case SDL_CONTROLLERDEVICEREMOVED:
        detach_controller(event.cdevice.which);
        break;
      case SDL_WINDOWEVENT:
        // The last frame stays in the texture; a still screen is not composed again.
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) show();
        break;
      default:
        if (const std::optional<Button> button = translate_event(event, axes_)) {
          buttons.send(*button);
        }
    }
  }
  return true;
}

void Window::attach_controller(int device_index) {
  if (controller_ != nullptr) return;
  controller_ = SDL_GameControllerOpen(device_index);
  if (controller_ == nullptr) {
    log_line("Sim", std::string("Cannot open the game controller: ") + SDL_GetError());
    return;
  }
  axes_ = {};
  const char* name = SDL_GameControllerName(controller_);
  log_line("Sim", std::string("Game controller: ") + (name != nullptr ? name : "unnamed"));
}

void Window::detach_controller(SDL_JoystickID instance) {
  if (controller_ == nullptr ||
      SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller_)) != instance) {
    return;
  }
  SDL_GameControllerClose(controller_);
  controller_ = nullptr;
}

}  // namespace zentomi::sim

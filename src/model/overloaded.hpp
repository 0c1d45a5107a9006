#pragma once

namespace zentomi {

// One visitor made of several lambdas, for std::visit over the message and request variants: a
// variant alternative without a lambda of its own does not compile.
template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

}  // namespace zentomi

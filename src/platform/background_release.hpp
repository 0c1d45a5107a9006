#pragma once

#include <memory>

namespace zentomi {

// Drops this reference to the object on a background thread. Freeing a decoded page of many
// megabytes hands its pages back to the system, which takes the main thread a good part of a
// frame; there it costs nothing but a queued pointer. An object still used elsewhere simply lives
// on.
void release_in_background(std::shared_ptr<const void> object);

}  // namespace zentomi

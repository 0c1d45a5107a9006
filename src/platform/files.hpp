#pragma once

#include <expected>
#include <string>

namespace zentomi {

// The whole content of the regular file at the path. Anything else is refused without blocking:
// a directory with EISDIR, a FIFO, socket or device with EINVAL (a FIFO would otherwise hold the
// reader until some writer appears). A read that fails part-way fails the whole call. The error
// is the errno of the step that failed.
std::expected<std::string, int> read_whole_file(const std::string& path);

// Whether any entry can be found at the path (symbolic links are followed).
bool path_exists(const std::string& path);

}  // namespace zentomi

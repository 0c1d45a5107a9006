#pragma once

#include <dirent.h>

#include <cstddef>
#include <expected>
#include <functional>
#include <string>
#include <string_view>

#include "platform/system_calls.hpp"

namespace zentomi {

// The regular file at the path, handed to `take` piece by piece (64 KiB at most each), in order.
// Anything else is refused without blocking: a directory with EISDIR, a FIFO, socket or device
// with EINVAL (a FIFO would otherwise hold the reader until some writer appears). A read that
// fails part-way fails the whole call. The error is the errno of the step that failed.
std::expected<void, int> read_file_in_pieces(const std::string& path,
                                             const std::function<void(std::string_view)>& take);

// The whole content of the regular file at the path, refused as read_file_in_pieces refuses.
std::expected<std::string, int> read_whole_file(const std::string& path);

// Whether any entry can be found at the path (symbolic links are followed).
bool path_exists(const std::string& path);

// Hands the folder's entries but "." and ".." to `visit` in the order the folder lists them,
// until it returns false. `visit` also gets the folder's descriptor, for calls relative to it.
// The folder is opened without blocking and with `open_flags` added (O_NOFOLLOW, say). Fails
// when the folder cannot be opened ("open", "fdopendir") or a read fails part-way ("readdir":
// what was visited before stays visited).
SystemResult<void> visit_folder(const std::string& path, int open_flags,
                                const std::function<bool(int folder, const dirent& entry)>& visit);

}  // namespace zentomi

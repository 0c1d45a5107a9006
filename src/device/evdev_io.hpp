#pragma once

#include <poll.h>

#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>

#include "platform/file_descriptor.hpp"

namespace zentomi::input {

// The thin layer over the system calls the input thread makes; errors are the system's texts.
std::expected<FileDescriptor, std::string> open_event_node(const std::string& path);
// How many of the records have events to report; 0 on time-out. -1 waits without a time-out.
std::expected<int, std::string> poll_descriptors(std::span<pollfd> records, int timeout_ms);
// How many bytes one read delivered; 0 at end of file.
std::expected<std::size_t, std::string> read_some(int fd, std::span<std::uint8_t> buffer);
// A descriptor that another thread makes readable with raise_event, to end a poll.
std::expected<FileDescriptor, std::string> open_event_counter();
void raise_event(int fd);

}  // namespace zentomi::input

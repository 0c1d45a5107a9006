#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <vector>

namespace zentomi {

// CBZ and ZIP chapters are read in place through minizip (zlib's own contrib: it needs nothing
// but zlib, which the program links already, and finds an entry by its place in the central
// directory), never unpacked to the card. Every error is a message for the screen.

// An archive is refused whole when it lists more entries than this.
inline constexpr std::size_t MAX_ARCHIVE_ENTRIES = 10'000;

// The names of the entries that are JPEG, PNG or WebP images by their first bytes, in the
// archive's order. Refused: an archive that cannot be opened (not a zip, a broken central
// directory), one with too many entries, or one with an encrypted entry.
std::expected<std::vector<std::string>, std::string> list_archive_images(const std::string& path);

// The whole inflated entry. Refused: an entry declared larger than `limit`, an encrypted one, one
// compressed in a way zlib cannot inflate, and one whose data does not inflate to exactly what it
// declares (its checksum then fails too).
std::expected<std::vector<std::uint8_t>, std::string> read_archive_entry(const std::string& path,
                                                                         const std::string& name,
                                                                         std::size_t limit);

}  // namespace zentomi

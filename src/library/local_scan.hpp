#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zentomi {

// A chapter of the card's Manga/ folder: a folder of images or one .cbz/.zip archive.
struct LocalChapter {
  std::string name;     // the folder or archive name without its extension
  std::string address;  // "local:" and its path relative to Manga/
  bool operator==(const LocalChapter&) const = default;
};

// A title: Manga/<Title>/ holding images (a title of one chapter, the folder itself), chapter
// folders of images or archives, or a lone Manga/<Title>.cbz (one chapter, the archive itself).
struct LocalTitle {
  std::string name;
  std::string address;
  std::vector<LocalChapter> chapters;  // in natural order, never empty
  bool operator==(const LocalTitle&) const = default;
};

struct LocalScanLimits {
  std::size_t titles = 1'000;
  std::size_t chapters = 5'000;  // of all titles together
  // Names read from one folder, and files of a folder looked at for an image signature before
  // it is taken for holding none: a folder of a million files costs a bounded time.
  std::size_t folder_entries = 20'000;
  std::size_t signature_reads = 100;
};

struct LocalLibrary {
  std::vector<LocalTitle> titles;  // in natural order of their names
  bool truncated = false;          // a bound was reached; what was found first is kept
  bool operator==(const LocalLibrary&) const = default;
};

// The titles under `manga_root`, two folder levels deep (titles, then their chapters; pages are
// counted only when a chapter is opened, archives only then opened). Links are never followed and
// hidden names are skipped. A missing folder is an empty library.
LocalLibrary scan_local_library(const std::string& manga_root, const LocalScanLimits& limits = {});

// One title afresh, for its detail screen; nothing when its address names no title.
std::optional<LocalTitle> scan_local_title(const std::string& manga_root,
                                           const std::string& address,
                                           const LocalScanLimits& limits = {});

// Changes when a title is added, removed or renamed, or a title's folder changes (a chapter added
// or removed): what tells whether the library must be scanned again. Cheap: one listing and one
// status per title.
std::uint64_t local_library_fingerprint(const std::string& manga_root,
                                        const LocalScanLimits& limits = {});

// Whether the name ends with ".cbz" or ".zip" in any case.
bool is_archive_name(const std::string& name);

}  // namespace zentomi

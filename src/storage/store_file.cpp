#include "storage/store_file.hpp"

#include <cstdint>

#include "storage/store_bounds.hpp"

namespace zentomi {

std::expected<void, std::string> write_file_durably(FileSystem& files, const std::string& path,
                                                    std::string_view text) {
  const auto file = files.create_file(path);
  if (!file) return std::unexpected(file.error());
  auto result = files.write(*file, text);
  if (result) result = files.flush(*file);
  if (!result) {
    ignore_failure(files.close(*file));
    return result;
  }
  return files.close(*file);
}

namespace {

std::int64_t whole_seconds(std::chrono::system_clock::time_point now) {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
  return seconds < 0 ? 0 : seconds;
}

// A name for setting `path` aside that no other file has.
std::expected<std::string, std::string> unused_corrupt_path(
    FileSystem& files, const std::string& path, std::chrono::system_clock::time_point now) {
  std::string stem = path + ".corrupt-" + std::to_string(whole_seconds(now));
  if (!files.status(stem)) return stem;
  for (int number = 2; number < 1000; ++number) {
    std::string candidate = stem + "-" + std::to_string(number);
    if (!files.status(candidate)) return candidate;
  }
  return std::unexpected("no free name beside " + stem);
}

std::string file_name(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

// Older copies set aside beside the one just made: a store that is damaged again and again must
// not fill the card with them.
void remove_surplus_copies(FileSystem& files, const std::string& directory, const std::string& path,
                           const std::string& kept) {
  const auto names = files.list_names(directory);
  if (!names) return;
  for (const std::string& surplus :
       surplus_set_aside_copies(file_name(path), file_name(kept), *names)) {
    std::string surplus_path = directory;
    surplus_path.append("/").append(surplus);
    ignore_failure(files.remove(surplus_path));
  }
}

// Moves the present file out of the way: a usable one becomes the previous version, any other
// is kept under a name of its own. Nothing to do when there is no file.
std::expected<void, std::string> move_present_file(FileSystem& files, const std::string& directory,
                                                   const std::string& path, StoreCheck usable,
                                                   std::chrono::system_clock::time_point now) {
  if (!files.status(path)) return {};
  const bool readable = !too_large_for_a_store(files, path);
  const auto present = readable ? files.read_file(path) : std::unexpected(std::string());
  std::expected<void, std::string> moved;
  if (present && usable(*present)) {
    const std::string previous = previous_version_path(path);
    // The present file is sound, so an older previous version is no longer needed.
    ignore_failure(files.remove(previous));
    moved = files.rename(path, previous);
  } else {
    const auto aside = unused_corrupt_path(files, path, now);
    if (!aside) return std::unexpected(aside.error());
    moved = files.rename(path, *aside);
    if (moved) remove_surplus_copies(files, directory, path, *aside);
  }
  if (!moved) return moved;
  return files.flush_directory(directory);
}

}  // namespace

std::string next_version_path(const std::string& path) {
  return path + ".tmp";
}

std::string previous_version_path(const std::string& path) {
  return path + ".bak";
}

std::expected<void, std::string> replace_store_file(FileSystem& files, const std::string& directory,
                                                    const std::string& name, std::string_view text,
                                                    StoreCheck usable,
                                                    std::chrono::system_clock::time_point now) {
  const std::string path = directory + "/" + name;
  const std::string next = next_version_path(path);
  auto result = write_file_durably(files, next, text);
  if (result) result = move_present_file(files, directory, path, usable, now);
  if (result) result = files.rename(next, path);
  if (!result) {
    // Whatever was present is still loadable, as the file itself or as the previous version.
    ignore_failure(files.remove(next));
    return result;
  }
  result = files.flush_directory(directory);
  // Until the new file is known to be on the device, the previous version stays.
  if (result) ignore_failure(files.remove(previous_version_path(path)));
  return result;
}

}  // namespace zentomi

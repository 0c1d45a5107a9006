#include "images/cover_cache.hpp"

#include <optional>
#include <utility>
#include <vector>

#include "images/cover_requests.hpp"
#include "images/image_decoding.hpp"
#include "images/thumbnail_files.hpp"
#include "platform/log.hpp"
#include "platform/thread.hpp"

namespace zentomi {

// What the main thread and the image worker share. The cache, the requests and the backoff each
// have their own lock, never nested.
struct CoverWorkerState {
  std::string directory;
  std::shared_ptr<FileSystem> files;
  FetchBytes fetch;
  CoverBackoff::Now now;
  ThumbnailCache cache;
  CoverRequests requests;
  CoverBackoff backoff;
  std::function<void()> on_change;
};

namespace {

// Only decodable bytes are kept; a file left half-written is removed again.
void write_bytes(FileSystem& files, const std::string& path,
                 const std::vector<std::uint8_t>& bytes) {
  const auto file = files.create_file(path);
  if (!file) return;
  const auto written = files.write(
      *file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  const auto closed = files.close(*file);
  if (written && closed) return;
  ignore_failure(files.remove(path));
}

void log_download_failure(std::string_view url, std::string_view message) {
  std::string text = "Download failed for ";
  text.append(url).append(": ").append(message);
  log_line("Thumb", text);
}

// The cover from the thumbnail directory, or else from the network; nothing when it fails.
std::optional<RgbaImage> obtain(FileSystem& files, const FetchBytes& fetch, const std::string& url,
                                const std::string& path) {
  if (files.status(path)) {
    // Only a regular file is read: a folder or a FIFO in its place fails here at once.
    auto bytes = files.read_file(path);
    if (!bytes) return std::nullopt;
    auto image =
        decode_image(std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()),
                     COVER_LIMITS);
    if (image) return std::move(*image);
    // Undecodable bytes would fail on every later attempt; the next one downloads afresh.
    ignore_failure(files.remove(path));
    return std::nullopt;
  }
  auto bytes = fetch(url);
  if (!bytes) {
    log_download_failure(url, bytes.error());
    return std::nullopt;
  }
  auto image = decode_image(*bytes, COVER_LIMITS);
  if (!image) return std::nullopt;
  write_bytes(files, path, *bytes);
  return std::move(*image);
}

// One request of the queue. Downloads, file access and decoding run without any lock held.
void serve(CoverWorkerState& shared, const std::string& url) {
  if (shared.cache.find(url)) {
    shared.requests.done(url);
    return;
  }
  std::string path = shared.directory;
  path.append("/").append(thumbnail_file_name(url));
  auto image = obtain(*shared.files, shared.fetch, url, path);
  // A cover too large for the cache's budget on its own fails like an undecodable one.
  if (image && shared.cache.insert(url, std::make_shared<const RgbaImage>(std::move(*image)))) {
    shared.backoff.forget(url);
  } else {
    // Recorded before the URL stops being pending, so no frame in between requests it again.
    shared.backoff.record(url, shared.now());
  }
  shared.requests.done(url);
}

// The worker's boundary: a cover that fails in any way (a file that cannot be read, memory that
// runs out) is a failed cover like any other, and the worker goes on with the next.
void serve_guarded(CoverWorkerState& shared, const std::string& url) {
  try {
    serve(shared, url);
  } catch (...) {
    log_line("Thumb", "Failed for " + url + ": " + current_exception_text());
    shared.backoff.record(url, shared.now());
    shared.requests.done(url);
  }
}

}  // namespace

CoverCache::CoverCache(std::string directory, FetchBytes fetch, CoverBackoff::Now now,
                       std::shared_ptr<FileSystem> files)
    : shared_(std::make_shared<CoverWorkerState>()) {
  shared_->directory = std::move(directory);
  shared_->files = std::move(files);
  shared_->fetch = std::move(fetch);
  shared_->now = std::move(now);
}

CoverCache::~CoverCache() {
  shared_->requests.close();
}

std::function<void()> CoverCache::take_worker() {
  if (std::exchange(worker_taken_, true)) return [] {};
  return [shared = shared_] {
    while (auto url = shared->requests.take()) {
      serve_guarded(*shared, *url);
      if (shared->on_change) shared->on_change();
    }
  };
}

void CoverCache::notify_on_change(std::function<void()> notify) {
  shared_->on_change = std::move(notify);
}

SharedImage CoverCache::get_thumbnail(std::string_view url) {
  if (url.empty()) return nullptr;
  if (SharedImage image = shared_->cache.find(url)) return image;
  if (shared_->backoff.waiting(url, shared_->now)) return nullptr;
  shared_->requests.ask(url);
  return nullptr;
}

void CoverCache::begin_frame() {
  shared_->requests.begin_frame();
}

std::uint64_t CoverCache::generation() const {
  return shared_->cache.generation();
}

bool CoverCache::retrying() const {
  return shared_->backoff.any_waiting(shared_->now());
}

std::size_t CoverCache::pending_count() const {
  return shared_->requests.size();
}

}  // namespace zentomi

#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "storage/file_system.hpp"

namespace zentomi::testing {

// The real file system with a log of every changing step and the power to make steps fail:
// one step alone (a failed call the code must survive), or every step from one on (a crash: the
// process goes no further). Steps are numbered from 1 in call order.
class FaultyFileSystem final : public FileSystem {
 public:
  enum class Mode { OneStep, FromStepOn };

  void fail_at(std::size_t step, Mode mode) {
    fail_step_ = step;
    mode_ = mode;
  }
  // Fails the first step from now on whose log entry begins with `prefix`, that step alone; also
  // "read NAME" and "create_directories NAME", which are not logged.
  void fail_first(std::string prefix) { fail_prefix_ = std::move(prefix); }

  // "create history.json.tmp", "rename history.json.tmp history.json", ... (file names only)
  std::vector<std::string> steps;
  std::size_t reads = 0;

  std::optional<FileIdentity> status(const std::string& path) override {
    return real_.status(path);
  }
  // Not logged, as reads are not, but fail_first makes one fail.
  std::expected<void, std::string> create_directories(const std::string& path) override {
    return unless(first_failure("create_directories " + name(path)),
                  [&] { return real_.create_directories(path); });
  }
  std::expected<std::string, std::string> read_file(const std::string& path) override {
    ++reads;
    return real_.read_file(path);
  }
  // Not logged, as reads change nothing, but fail_first makes one fail.
  std::expected<void, std::string> read_pieces(
      const std::string& path, const std::function<void(std::string_view)>& take) override {
    return unless(first_failure("read " + name(path)),
                  [&] { return real_.read_pieces(path, take); });
  }
  std::expected<int, std::string> create_file(const std::string& path) override {
    return unless(failing("create " + name(path)), [&] {
      auto file = real_.create_file(path);
      if (file) open_files_[*file] = name(path);
      return file;
    });
  }
  std::expected<void, std::string> write(int file, std::string_view bytes) override {
    return unless(failing("write " + open_files_[file]), [&] { return real_.write(file, bytes); });
  }
  std::expected<void, std::string> flush(int file) override {
    return unless(failing("flush " + open_files_[file]), [&] { return real_.flush(file); });
  }
  std::expected<void, std::string> close(int file) override {
    // The descriptor is released either way, as on Linux.
    const bool failed = failing("close " + open_files_[file]);
    open_files_.erase(file);
    const auto closed = real_.close(file);
    return unless(failed, [&] { return closed; });
  }
  std::expected<void, std::string> rename(const std::string& from, const std::string& to) override {
    return unless(failing("rename " + name(from) + " " + name(to)),
                  [&] { return real_.rename(from, to); });
  }
  std::expected<void, std::string> remove(const std::string& path) override {
    return unless(failing("remove " + name(path)), [&] { return real_.remove(path); });
  }
  std::expected<void, std::string> flush_directory(const std::string& path) override {
    return unless(failing("flush_directory"), [&] { return real_.flush_directory(path); });
  }
  std::expected<std::vector<std::string>, std::string> list_names(
      const std::string& directory) override {
    return real_.list_names(directory);
  }
  std::expected<EntryKind, std::string> entry_kind(const std::string& path) override {
    return real_.entry_kind(path);
  }
  std::expected<void, std::string> remove_tree(const std::string& path) override {
    return unless(failing("remove_tree " + name(path)), [&] { return real_.remove_tree(path); });
  }
  std::expected<void, std::string> flush_file_system(const std::string& path) override {
    return unless(failing("flush_file_system"), [&] { return real_.flush_file_system(path); });
  }

 private:
  static constexpr const char* INJECTED = "injected failure";

  static std::string name(const std::string& path) { return path.substr(path.rfind('/') + 1); }
  // The injected failure, or else the real step; whether it fails is decided (and the step
  // logged) before the real call can run.
  template <typename Call>
  static auto unless(bool injected, const Call& call) -> decltype(call()) {
    if (injected) return std::unexpected(std::string(INJECTED));
    return call();
  }
  bool first_failure(const std::string& step) {
    if (fail_prefix_.empty() || !step.starts_with(fail_prefix_)) return false;
    fail_prefix_.clear();
    return true;
  }
  bool failing(std::string step) {
    const bool first = first_failure(step);
    steps.push_back(std::move(step));
    if (first) return true;
    const std::size_t number = steps.size();
    if (fail_step_ == 0) return false;
    return number == fail_step_ || (mode_ == Mode::FromStepOn && number > fail_step_);
  }

  PosixFileSystem real_;
  std::size_t fail_step_ = 0;
  std::string fail_prefix_;
  Mode mode_ = Mode::OneStep;
  std::map<int, std::string> open_files_;
};

}  // namespace zentomi::testing

#include "device/input_thread.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device/evdev_io.hpp"
#include "event_records.hpp"
#include "support/receive_within.hpp"
#include "support/temp_dir.hpp"

namespace zentomi::input {
namespace {

using namespace std::chrono_literals;
using testing::axis;
using testing::key;

constexpr std::uint16_t KEY_A = 305;
constexpr std::uint16_t KEY_B = 304;
constexpr std::uint16_t KEY_X = 308;
constexpr std::uint16_t KEY_Y = 307;
constexpr std::uint16_t KEY_START = 315;
constexpr std::uint16_t KEY_UP = 103;
constexpr std::uint16_t KEY_DOWN = 108;

// A FIFO standing in for an event node. The test holds it open for reading and writing, so the
// thread's non-blocking open succeeds and writes never block.
class FakeEventNode {
 public:
  explicit FakeEventNode(std::string path) : path_(std::move(path)) {
    EXPECT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    writer_ = FileDescriptor(::open(path_.c_str(), O_RDWR | O_CLOEXEC));
    EXPECT_NE(writer_.get(), -1);
  }
  const std::string& path() const { return path_; }
  void write(const std::string& bytes) const {
    ASSERT_EQ(::write(writer_.get(), bytes.data(), bytes.size()),
              static_cast<ssize_t>(bytes.size()));
  }

 private:
  std::string path_;
  FileDescriptor writer_;
};

using testing::receive_within;

std::vector<Button> receive_count(Receiver<Button>& receiver, std::size_t count) {
  std::vector<Button> buttons;
  while (buttons.size() < count) {
    auto button = receive_within(receiver, 5s);
    if (!button) break;
    buttons.push_back(*button);
  }
  return buttons;
}

// Waits until the thread has flushed and is reading: presses B on the node until one arrives.
// Returns what arrived first.
std::optional<Button> wait_until_reading(const FakeEventNode& node, Receiver<Button>& receiver) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    node.write(key(KEY_B));
    if (auto button = receive_within(receiver, 50ms)) return button;
  }
  return std::nullopt;
}

// Takes the extra B presses the wait may have queued.
void drain_b_presses(Receiver<Button>& receiver) {
  while (auto button = receive_within(receiver, 120ms))
    ASSERT_EQ(*button, Button::B);
}

TEST(InputThread, DiscardsInputQueuedBeforeItStarted) {
  testing::TempDir dir;
  FakeEventNode node((dir / "event0").string());
  node.write(key(KEY_A) + key(KEY_X));
  node.write(key(KEY_Y, 2));

  auto [sender, receiver] = Channel<Button>::create();
  spawn_input_thread(sender, {node.path()});
  EXPECT_EQ(wait_until_reading(node, receiver), Button::B);
  drain_b_presses(receiver);
}

TEST(InputThread, DeliversPressesInRecordOrderAcrossReads) {
  testing::TempDir dir;
  FakeEventNode node((dir / "event0").string());
  auto [sender, receiver] = Channel<Button>::create();
  spawn_input_thread(sender, {(dir / "missing").string(), node.path()});
  ASSERT_EQ(wait_until_reading(node, receiver), Button::B);
  drain_b_presses(receiver);

  node.write(key(KEY_UP) + key(KEY_UP, 0) + key(KEY_DOWN, 2) + key(0, 0) + key(KEY_A) +
             axis(0, 20000) + axis(0, 0) + axis(0, -20000) + axis(17, -1));
  EXPECT_EQ(receive_count(receiver, 6),
            (std::vector<Button>{Button::Up, Button::Down, Button::A, Button::Right, Button::Left,
                                 Button::Up}));

  // More records than one read takes, in a single write.
  std::string burst;
  std::vector<Button> expected;
  for (int i = 0; i < 100; ++i) {
    burst += key(i % 2 == 0 ? KEY_X : KEY_Y);
    expected.push_back(i % 2 == 0 ? Button::X : Button::Y);
  }
  burst += key(KEY_START);
  expected.push_back(Button::Start);
  node.write(burst);
  EXPECT_EQ(receive_count(receiver, expected.size()), expected);
  EXPECT_EQ(receive_within(receiver, 100ms), std::nullopt);
}

// The thread sleeps in poll without a time-out: a node that hangs up is dropped rather than
// reported over and over, the other nodes are still read, and the stop ends the loop.
TEST(InputThread, ANodeThatHangsUpIsDroppedAndTheStopEndsTheLoop) {
  testing::TempDir dir;
  std::optional<FakeEventNode> gone((dir / "event0").string());
  FakeEventNode node((dir / "event1").string());
  auto [sender, receiver] = Channel<Button>::create();
  const InputStop stop;
  std::thread loop([&, paths = std::vector<std::string>{gone->path(), node.path()}] {
    run_input_loop(sender, paths, &stop);
  });
  ASSERT_EQ(wait_until_reading(node, receiver), Button::B);
  drain_b_presses(receiver);
  ::testing::internal::CaptureStderr();
  gone.reset();
  node.write(key(KEY_A));
  EXPECT_EQ(receive_within(receiver, 5s), Button::A);
  stop.request();
  loop.join();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[Input] No longer reading " + (dir / "event0").string() + "\n");
}

TEST(InputThread, AxisStateIsSharedByAllDevices) {
  testing::TempDir dir;
  FakeEventNode hat((dir / "event0").string());
  FakeEventNode stick((dir / "event1").string());
  auto [sender, receiver] = Channel<Button>::create();
  spawn_input_thread(sender, {hat.path(), stick.path()});
  ASSERT_EQ(wait_until_reading(hat, receiver), Button::B);
  drain_b_presses(receiver);

  hat.write(axis(16, 1));
  EXPECT_EQ(receive_within(receiver, 5s), Button::Right);
  stick.write(axis(0, 30000) + key(KEY_A));
  EXPECT_EQ(receive_within(receiver, 5s), Button::A);
  stick.write(axis(0, 0) + axis(0, 30000));
  EXPECT_EQ(receive_within(receiver, 5s), Button::Right);
}

TEST(InputThread, WithNoNodeItWritesTheNoticeOnceAndEnds) {
  testing::TempDir dir;
  auto [sender, receiver] = Channel<Button>::create();
  ::testing::internal::CaptureStderr();
  run_input_loop(sender, {(dir / "event0").string(), (dir / "event1").string()});
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[Input] Notice: No evdev event nodes opened.\n");
  EXPECT_EQ(receiver.try_receive(), std::nullopt);
}

TEST(InputThread, DefaultNodesAreTheFourEventDevicesInOrder) {
  EXPECT_EQ(default_event_nodes(),
            (std::vector<std::string>{"/dev/input/event0", "/dev/input/event1", "/dev/input/event2",
                                      "/dev/input/event3"}));
}

}  // namespace
}  // namespace zentomi::input

#include "model/channel.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace zentomi {
namespace {

TEST(Channel, DeliversInOrderWithoutBlocking) {
  auto [sender, receiver] = Channel<int>::create();
  EXPECT_FALSE(receiver.try_receive().has_value());
  EXPECT_TRUE(receiver.empty());
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(sender.send(i));
  EXPECT_FALSE(receiver.empty());
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(receiver.try_receive(), i);
  EXPECT_FALSE(receiver.try_receive().has_value());
}

// What wakes the main loop: a send on any of its queues raises the signal, which a wait consumes.
TEST(Channel, ASendRaisesTheSignalOfItsChannel) {
  auto signal = std::make_shared<WakeSignal>();
  auto [sender, receiver] = Channel<int>::create(signal);
  EXPECT_FALSE(signal->wait_for(std::chrono::milliseconds(1)));
  sender.send(1);
  EXPECT_TRUE(signal->wait_for(std::chrono::hours(1)));
  EXPECT_FALSE(signal->wait_for(std::chrono::milliseconds(1))) << "the raise was consumed";
}

TEST(Channel, SendFailsOnceTheReceiverIsGone) {
  auto [sender, receiver] = Channel<int>::create();
  { Receiver<int> gone = std::move(receiver); }
  EXPECT_FALSE(sender.send(1));
  EXPECT_FALSE(Sender<int>{}.send(1));
}

TEST(Channel, BlockingReceiveEndsWhenEverySenderIsGone) {
  auto [sender, receiver] = Channel<int>::create();
  Sender<int> second = sender;
  sender = {};
  std::thread producer([s = std::move(second)]() mutable {
    for (int i = 0; i < 100; ++i)
      s.send(i);
  });
  std::vector<int> got;
  while (std::optional<int> item = receiver.receive())
    got.push_back(*item);
  producer.join();
  ASSERT_EQ(got.size(), 100u);
  EXPECT_EQ(got.front(), 0);
  EXPECT_EQ(got.back(), 99);
}

TEST(Channel, ManyProducersLoseNothing) {
  auto [sender, receiver] = Channel<int>::create();
  std::vector<std::thread> producers;
  for (int p = 0; p < 4; ++p) {
    producers.emplace_back([s = sender, p] {
      for (int i = 0; i < 250; ++i)
        s.send(p * 1000 + i);
    });
  }
  for (auto& producer : producers)
    producer.join();
  int count = 0;
  while (receiver.try_receive())
    ++count;
  EXPECT_EQ(count, 1000);
}

}  // namespace
}  // namespace zentomi

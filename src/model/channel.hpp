#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "model/wake_signal.hpp"

namespace zentomi {

// An unbounded multi-producer, single-consumer queue. Senders never block; a send fails once the
// receiver is gone. A blocking receive ends (with nothing) once every sender is gone and the
// queue is empty. A channel created with a WakeSignal raises it on every item sent.
template <typename T>
class Channel {
  struct Shared {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<T> items;
    std::size_t senders = 0;
    bool receiver_alive = true;
    std::shared_ptr<WakeSignal> wake;
  };

 public:
  class Sender {
   public:
    Sender() = default;
    explicit Sender(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) { attach(); }
    Sender(const Sender& other) : shared_(other.shared_) { attach(); }
    Sender(Sender&& other) noexcept : shared_(std::move(other.shared_)) {}
    Sender& operator=(Sender other) noexcept {
      std::swap(shared_, other.shared_);
      return *this;
    }
    ~Sender() { detach(); }

    // False when the receiver has gone; the item is then dropped.
    bool send(T item) const {
      if (!shared_) return false;
      {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->receiver_alive) return false;
        shared_->items.push_back(std::move(item));
      }
      shared_->ready.notify_one();
      if (shared_->wake) shared_->wake->raise();
      return true;
    }

   private:
    void attach() {
      if (!shared_) return;
      std::lock_guard lock(shared_->mutex);
      ++shared_->senders;
    }
    void detach() {
      if (!shared_) return;
      {
        std::lock_guard lock(shared_->mutex);
        --shared_->senders;
      }
      shared_->ready.notify_all();
      shared_.reset();
    }
    std::shared_ptr<Shared> shared_;
  };

  class Receiver {
   public:
    Receiver() = default;
    explicit Receiver(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
    Receiver(Receiver&&) noexcept = default;
    Receiver& operator=(Receiver&& other) noexcept {
      close();
      shared_ = std::move(other.shared_);
      return *this;
    }
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;
    ~Receiver() { close(); }

    std::optional<T> try_receive() {
      if (!shared_) return std::nullopt;
      std::lock_guard lock(shared_->mutex);
      return pop_locked();
    }

    // Waits for an item; nothing once the queue is empty and no sender is left.
    std::optional<T> receive() {
      if (!shared_) return std::nullopt;
      std::unique_lock lock(shared_->mutex);
      shared_->ready.wait(lock, [&] { return !shared_->items.empty() || shared_->senders == 0; });
      return pop_locked();
    }

    bool empty() const {
      if (!shared_) return true;
      std::lock_guard lock(shared_->mutex);
      return shared_->items.empty();
    }

   private:
    std::optional<T> pop_locked() {
      if (shared_->items.empty()) return std::nullopt;
      std::optional<T> item(std::move(shared_->items.front()));
      shared_->items.pop_front();
      return item;
    }
    void close() {
      if (!shared_) return;
      std::lock_guard lock(shared_->mutex);
      shared_->receiver_alive = false;
      shared_->items.clear();
    }
    std::shared_ptr<Shared> shared_;
  };

  static std::pair<Sender, Receiver> create(std::shared_ptr<WakeSignal> wake = nullptr) {
    auto shared = std::make_shared<Shared>();
    shared->wake = std::move(wake);
    return {Sender(shared), Receiver(shared)};
  }
};

template <typename T>
using Sender = typename Channel<T>::Sender;
template <typename T>
using Receiver = typename Channel<T>::Receiver;

}  // namespace zentomi

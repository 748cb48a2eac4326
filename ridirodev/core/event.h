#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace ridirodev {

// A synchronous event. Handlers run in connection order on the raising thread; a handler
// may connect or disconnect handlers, or raise the event again, while it runs. Handlers
// connected during a raise are first called by the next raise; a handler disconnected
// during a raise is not called afterwards.
template <class... Args>
class Event {
  struct Slot {
    std::function<void(Args...)> fn;
    bool connected = true;
  };
  struct State {
    std::vector<std::shared_ptr<Slot>> slots;
  };

 public:
  // Disconnects its handler when destroyed (or on Disconnect). Outliving the event is safe.
  class Connection {
   public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection(Connection&& o) noexcept : state_(std::move(o.state_)), slot_(std::move(o.slot_)) {}
    Connection& operator=(Connection&& o) noexcept {
      if (this != &o) {
        Disconnect();
        state_ = std::move(o.state_);
        slot_ = std::move(o.slot_);
      }
      return *this;
    }
    ~Connection() { Disconnect(); }

    bool Connected() const {
      auto slot = slot_.lock();
      return slot && slot->connected && !state_.expired();
    }
    void Disconnect() {
      auto slot = slot_.lock();
      if (!slot) return;
      slot->connected = false;
      if (auto state = state_.lock()) {
        auto& v = state->slots;
        v.erase(std::remove(v.begin(), v.end(), slot), v.end());
      }
      slot_.reset();
      state_.reset();
    }

   private:
    friend class Event;
    Connection(std::weak_ptr<State> state, std::weak_ptr<Slot> slot)
        : state_(std::move(state)), slot_(std::move(slot)) {}
    std::weak_ptr<State> state_;
    std::weak_ptr<Slot> slot_;
  };

  Event() = default;
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  [[nodiscard]] Connection Connect(std::function<void(Args...)> handler) {
    auto slot = std::make_shared<Slot>(Slot{std::move(handler), true});
    state_->slots.push_back(slot);
    return Connection(state_, slot);
  }

  void Raise(Args... args) const {
    // Both copies keep the handlers and the list alive even if a handler destroys the
    // object that owns this event.
    std::shared_ptr<State> state = state_;
    const std::vector<std::shared_ptr<Slot>> snapshot = state->slots;
    for (const auto& slot : snapshot) {
      if (slot->connected) slot->fn(args...);
    }
  }

  size_t HandlerCount() const noexcept { return state_->slots.size(); }

 private:
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace ridirodev

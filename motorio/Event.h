#pragma once
// A synchronous event with any number of subscribers. Subscribe returns a Subscription that
// ends the subscription when it is destroyed; subscribing or unsubscribing from inside a
// handler is safe. Raising does not allocate.

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace torvane {

class Subscription {
  public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            Cancel();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { Cancel(); }

    void Cancel() noexcept {
        if (cancel_) std::exchange(cancel_, {})();
    }

  private:
    std::function<void()> cancel_;
};

template <typename... Args>
class Event {
  public:
    using Handler = std::function<void(Args...)>;

    Event() : state_(std::make_shared<State>()) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // The handler runs on every Raise until the returned Subscription is destroyed. The
    // subscription may outlive the event.
    [[nodiscard]] Subscription Subscribe(Handler handler) {
        auto slot = std::make_shared<Slot>(Slot{std::move(handler), true});
        state_->slots.push_back(slot);
        std::weak_ptr<State> weakState = state_;
        std::weak_ptr<Slot> weakSlot = slot;
        return Subscription([weakState, weakSlot] {
            auto s = weakSlot.lock();
            if (!s) return;
            s->active = false;
            if (auto st = weakState.lock()) st->Prune();
        });
    }

    // Calls every active handler in subscription order. A handler subscribed during the raise
    // is not called by it; one cancelled during the raise is not called any more.
    void Raise(Args... args) const {
        ++state_->raising;
        const std::size_t count = state_->slots.size();
        try {
            for (std::size_t i = 0; i < count; ++i) {
                const std::shared_ptr<Slot> slot = state_->slots[i];
                if (slot->active) slot->handler(args...);
            }
        } catch (...) {
            --state_->raising;
            state_->Prune();
            throw;
        }
        --state_->raising;
        state_->Prune();
    }

    std::size_t SubscriberCount() const {
        std::size_t n = 0;
        for (const auto& s : state_->slots) n += s->active ? 1 : 0;
        return n;
    }

  private:
    struct Slot {
        Handler handler;
        bool active;
    };
    struct State {
        std::vector<std::shared_ptr<Slot>> slots;
        int raising = 0;
        // Removes cancelled slots, but never while a raise walks the list.
        void Prune() {
            if (raising != 0) return;
            std::erase_if(slots, [](const std::shared_ptr<Slot>& s) { return !s->active; });
        }
    };
    std::shared_ptr<State> state_;
};

}  // namespace torvane

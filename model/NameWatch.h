#pragma once
// How an object that is found by name tells the indexes holding it that its name changed. An
// index owns a change counter and hands it to each entry it indexes; an entry whose name changes
// counts up every counter still alive, and an index whose counter moved re-reads the names before
// its next look-up. Names change through plain setters anywhere, so only this keeps an index of
// names true without scanning every entry at every look-up.

#include <cstdint>
#include <memory>
#include <vector>

namespace torvane {

// The counter an index owns; entries hold it weakly.
using NameChanges = std::shared_ptr<std::uint64_t>;

class NameWatch {
  public:
    // From now on a change of the entry's name counts up counter.
    void Watch(const NameChanges& counter) {
        std::erase_if(watchers_, [](const std::weak_ptr<std::uint64_t>& w) { return w.expired(); });
        for (const auto& w : watchers_)
            if (w.lock() == counter) return;
        watchers_.push_back(counter);
    }
    // To be called by the entry whenever its name changes.
    void Changed() const {
        for (const auto& w : watchers_)
            if (const auto counter = w.lock()) ++*counter;
    }

  private:
    std::vector<std::weak_ptr<std::uint64_t>> watchers_;
};

}  // namespace torvane

#pragma once
// The total a script run's strings and arrays may hold. Every text and array made while the
// engine runs code is charged to the budget of that engine (its bytes of characters, its element
// slots), and released when the last copy goes; a charge past the limit raises error 7 "Out of
// memory", so a loop that piles values up ends with an error instead of exhausting the machine.
// Values made outside a run (by the host, or by the parser for literals) are not charged.

#include <cstddef>
#include <memory>

namespace vbs {

class MemoryBudget : public std::enable_shared_from_this<MemoryBudget> {
  public:
    static constexpr std::size_t kDefaultBytes = 256u * 1024u * 1024u;

    explicit MemoryBudget(std::size_t limit = kDefaultBytes) : limit_(limit) {}
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    void SetLimit(std::size_t bytes) { limit_ = bytes; }
    std::size_t Limit() const { return limit_; }
    std::size_t Used() const { return used_; }

    // Raises error 7 when the bytes do not fit; nothing is charged then.
    void Take(std::size_t bytes);
    void Give(std::size_t bytes) { used_ -= bytes; }

    // The budget that values made on this thread are charged to, or nullptr outside a run.
    static MemoryBudget* Current();

    // Makes a budget current for its lifetime.
    class Scope {
      public:
        explicit Scope(MemoryBudget* budget);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        MemoryBudget* saved_;
    };

  private:
    std::size_t limit_;
    std::size_t used_ = 0;
};

// The bytes one text or array holds, charged to the budget that was current when it was first
// charged, and released when it is destroyed. A copy is charged again.
class Charge {
  public:
    Charge() = default;
    explicit Charge(std::size_t bytes) { Resize(bytes); }
    Charge(const Charge& other) { Resize(other.bytes_); }
    Charge& operator=(const Charge& other) {
        if (this != &other) Resize(other.bytes_);
        return *this;
    }
    ~Charge() {
        if (budget_) budget_->Give(bytes_);
    }

    // Charges or releases the difference; raises error 7 (and keeps the old size) when the
    // budget cannot take it.
    void Resize(std::size_t bytes);

  private:
    std::shared_ptr<MemoryBudget> budget_;
    std::size_t bytes_ = 0;  // charged to budget_
};

}  // namespace vbs

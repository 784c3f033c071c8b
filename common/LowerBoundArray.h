#pragma once
// The one array template with an explicit lower bound and an "unallocated" state that both
// libraries use: the model's VbArray (model/VbArray.h) and the shape library's BoundedArray
// (shapes/BoundedArray.h). Header-only and free of either library, so the shape library can use
// it without linking the model. Each library names its arrays with its own fault, so a bad
// subscript still raises that library's error type with its code and message.
//
// SubscriptFault is a type with a static [[noreturn]] Raise() that throws the subscript error.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace common {

template <typename T, typename SubscriptFault>
class LowerBoundArray {
  public:
    // Unallocated: no bounds can be read (dimension count 0 in files).
    LowerBoundArray() = default;
    // Both fail with a subscript error when the upper bound would lie beyond the 32-bit
    // range (a lower bound near the top, as a damaged file can announce).
    LowerBoundArray(std::int32_t lowerBound, std::initializer_list<T> values)
        : allocated_(true), lower_(lowerBound), items_(values) {
        RequireRepresentableUpper();
    }
    LowerBoundArray(std::int32_t lowerBound, std::vector<T> values)
        : allocated_(true), lower_(lowerBound), items_(std::move(values)) {
        RequireRepresentableUpper();
    }

    // An allocated array with bounds lower..upper, every element value-initialised.
    static LowerBoundArray WithBounds(std::int32_t lower, std::int32_t upper) {
        LowerBoundArray a;
        a.ReDim(lower, upper);
        return a;
    }

    bool IsAllocated() const noexcept { return allocated_; }
    // Number of elements; 0 when unallocated.
    std::size_t Count() const noexcept { return items_.size(); }

    std::int32_t LBound() const {
        RequireAllocated();
        return lower_;
    }
    std::int32_t UBound() const {
        RequireAllocated();
        return static_cast<std::int32_t>(static_cast<std::int64_t>(lower_) +
                                         static_cast<std::int64_t>(items_.size()) - 1);
    }

    T& operator()(std::int32_t i) { return items_[Offset(i)]; }
    const T& operator()(std::int32_t i) const { return items_[Offset(i)]; }

    // Allocates lower..upper, discarding the contents (ReDim).
    void ReDim(std::int32_t lower, std::int32_t upper) {
        if (static_cast<std::int64_t>(upper) < static_cast<std::int64_t>(lower) - 1)
            SubscriptFault::Raise();
        // Allocate first: if that fails the array keeps its old bounds and contents.
        std::vector<T> fresh(
            static_cast<std::size_t>(static_cast<std::int64_t>(upper) - lower + 1));
        items_.swap(fresh);
        allocated_ = true;
        lower_ = lower;
    }
    // Changes the upper bound keeping the contents (ReDim Preserve); allocates if needed.
    void ReDimPreserve(std::int32_t upper) {
        if (!allocated_) {
            ReDim(0, upper);
            return;
        }
        if (static_cast<std::int64_t>(upper) < static_cast<std::int64_t>(lower_) - 1)
            SubscriptFault::Raise();
        items_.resize(static_cast<std::size_t>(static_cast<std::int64_t>(upper) - lower_ + 1));
    }
    // Back to the unallocated state (Erase).
    void Erase() {
        allocated_ = false;
        lower_ = 0;
        items_.clear();
    }

    const std::vector<T>& Items() const noexcept { return items_; }
    std::vector<T>& Items() noexcept { return items_; }
    // The same elements under the name the shape library's callers use.
    const std::vector<T>& Values() const noexcept { return items_; }
    std::vector<T>& Values() noexcept { return items_; }

    friend bool operator==(const LowerBoundArray& a, const LowerBoundArray& b) {
        return a.allocated_ == b.allocated_ && (!a.allocated_ || a.lower_ == b.lower_) &&
               a.items_ == b.items_;
    }

  private:
    void RequireRepresentableUpper() const {
        const std::int64_t upper =
            static_cast<std::int64_t>(lower_) + static_cast<std::int64_t>(items_.size()) - 1;
        if (upper > INT32_MAX) SubscriptFault::Raise();
    }
    void RequireAllocated() const {
        if (!allocated_) SubscriptFault::Raise();
    }
    std::size_t Offset(std::int32_t i) const {
        RequireAllocated();
        const std::int64_t off = static_cast<std::int64_t>(i) - lower_;
        if (off < 0 || off >= static_cast<std::int64_t>(items_.size())) SubscriptFault::Raise();
        return static_cast<std::size_t>(off);
    }

    bool allocated_ = false;
    std::int32_t lower_ = 0;
    std::vector<T> items_;
};

}  // namespace common

#pragma once
// An array with an explicit lower bound and an "unallocated" state, as the robot file and the
// text helpers need them: sizes and colours indexed 1 to 3, text pieces indexed from 0,
// subpart records at lower bound 0 or 1. Access is checked and throws a subscript error.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "model/Error.h"

namespace torvane {

template <typename T>
class VbArray {
  public:
    // Unallocated: no bounds can be read (dimension count 0 in files).
    VbArray() = default;
    // Both fail with a subscript error when the upper bound would lie beyond the 32-bit
    // range (a lower bound near the top, as a damaged file can announce).
    VbArray(std::int32_t lowerBound, std::initializer_list<T> values)
        : allocated_(true), lower_(lowerBound), items_(values) {
        RequireRepresentableUpper();
    }
    VbArray(std::int32_t lowerBound, std::vector<T> values)
        : allocated_(true), lower_(lowerBound), items_(std::move(values)) {
        RequireRepresentableUpper();
    }

    // An allocated array with bounds lower..upper, every element value-initialised.
    static VbArray WithBounds(std::int32_t lower, std::int32_t upper) {
        VbArray a;
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
            Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
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
            Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
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

    friend bool operator==(const VbArray& a, const VbArray& b) {
        return a.allocated_ == b.allocated_ && (!a.allocated_ || a.lower_ == b.lower_) &&
               a.items_ == b.items_;
    }

  private:
    void RequireRepresentableUpper() const {
        const std::int64_t upper =
            static_cast<std::int64_t>(lower_) + static_cast<std::int64_t>(items_.size()) - 1;
        if (upper > INT32_MAX) Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
    }
    void RequireAllocated() const {
        if (!allocated_) Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
    }
    std::size_t Offset(std::int32_t i) const {
        RequireAllocated();
        const std::int64_t off = static_cast<std::int64_t>(i) - lower_;
        if (off < 0 || off >= static_cast<std::int64_t>(items_.size()))
            Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
        return static_cast<std::size_t>(off);
    }

    bool allocated_ = false;
    std::int32_t lower_ = 0;
    std::vector<T> items_;
};

using DoubleArray = VbArray<double>;
using StringArray = VbArray<std::string>;

}  // namespace torvane

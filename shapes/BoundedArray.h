#pragma once
// The arrays the shape members receive and return: an explicit lower bound and an "unallocated"
// state in which no bounds can be read. Sizes and colours are read at indices 1 to 3; the
// program's text parsing gives lower bound 1, but lower bound 0 with an ignored element 0 is
// accepted too. Access is checked and throws a subscript error.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "shapes/ShapeError.h"

namespace primora {

template <typename T>
class BoundedArray {
  public:
    // Unallocated.
    BoundedArray() = default;
    BoundedArray(std::int32_t lowerBound, std::initializer_list<T> values)
        : allocated_(true), lower_(lowerBound), values_(values) {}
    BoundedArray(std::int32_t lowerBound, std::vector<T> values)
        : allocated_(true), lower_(lowerBound), values_(std::move(values)) {}

    bool IsAllocated() const noexcept { return allocated_; }
    std::size_t Count() const noexcept { return values_.size(); }

    std::int32_t LBound() const {
        RequireAllocated();
        return lower_;
    }
    std::int32_t UBound() const {
        RequireAllocated();
        return lower_ + static_cast<std::int32_t>(values_.size()) - 1;
    }

    T& operator()(std::int32_t i) { return values_[Offset(i)]; }
    const T& operator()(std::int32_t i) const { return values_[Offset(i)]; }

    const std::vector<T>& Values() const noexcept { return values_; }
    std::vector<T>& Values() noexcept { return values_; }

  private:
    [[noreturn]] static void OutOfRange() {
        throw ShapeError(ShapeErrorCode::SubscriptOutOfRange, "Subscript out of range");
    }
    void RequireAllocated() const {
        if (!allocated_) OutOfRange();
    }
    std::size_t Offset(std::int32_t i) const {
        RequireAllocated();
        const std::int64_t off = static_cast<std::int64_t>(i) - lower_;
        if (off < 0 || off >= static_cast<std::int64_t>(values_.size())) OutOfRange();
        return static_cast<std::size_t>(off);
    }

    bool allocated_ = false;
    std::int32_t lower_ = 0;
    std::vector<T> values_;
};

using DoubleArray = BoundedArray<double>;
using ByteArray = BoundedArray<std::uint8_t>;

}  // namespace primora

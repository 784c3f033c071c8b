// Arrays with bounds: the unallocated state, checked access at both ends, resizing with and
// without keeping the contents, and bounds that do not fit.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "model/Error.h"
#include "model/VbArray.h"

namespace torvane {
namespace {

template <typename F>
void ExpectSubscriptError(F&& f) {
    try {
        f();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), ErrorCode::SubscriptOutOfRange);
    }
}

TEST(VbArray, UnallocatedArrayHasNoBoundsAndNoElements) {
    DoubleArray a;
    EXPECT_FALSE(a.IsAllocated());
    EXPECT_EQ(a.Count(), 0u);
    ExpectSubscriptError([&] { (void)a.LBound(); });
    ExpectSubscriptError([&] { (void)a.UBound(); });
    ExpectSubscriptError([&] { (void)a(0); });
    ExpectSubscriptError([&] { (void)a(1); });
    a.Erase();
    EXPECT_FALSE(a.IsAllocated());
}

TEST(VbArray, AccessIsCheckedAtBothEndsForAnyLowerBound) {
    for (const std::int32_t lower : {0, 1, -3, 100}) {
        StringArray a(lower, {"a", "b", "c"});
        EXPECT_EQ(a.LBound(), lower);
        EXPECT_EQ(a.UBound(), lower + 2);
        EXPECT_EQ(a(lower), "a");
        EXPECT_EQ(a(lower + 2), "c");
        a(lower + 1) = "B";
        EXPECT_EQ(a.Items()[1], "B");
        ExpectSubscriptError([&] { (void)a(lower - 1); });
        ExpectSubscriptError([&] { (void)a(lower + 3); });
    }
}

TEST(VbArray, ReDimDiscardsAndReDimPreserveKeeps) {
    DoubleArray a(1, {1, 2, 3});
    a.ReDimPreserve(5);
    EXPECT_EQ(a.UBound(), 5);
    EXPECT_EQ(a(3), 3);
    EXPECT_EQ(a(5), 0);
    a.ReDimPreserve(2);
    EXPECT_EQ(a, DoubleArray(1, {1, 2}));
    a.ReDim(-1, 1);
    EXPECT_EQ(a, DoubleArray(-1, {0, 0, 0}));
    // Preserve on an unallocated array allocates from 0.
    DoubleArray b;
    b.ReDimPreserve(1);
    EXPECT_EQ(b.LBound(), 0);
    EXPECT_EQ(b.Count(), 2u);
    // An allocated array may hold no element: upper bound one below the lower.
    DoubleArray empty = DoubleArray::WithBounds(5, 4);
    EXPECT_TRUE(empty.IsAllocated());
    EXPECT_EQ(empty.UBound(), 4);
    ExpectSubscriptError([&] { (void)empty(5); });
}

TEST(VbArray, BadBoundsFailAndLeaveTheArrayAsItWas) {
    DoubleArray a(1, {7, 8});
    ExpectSubscriptError([&] { a.ReDim(3, 1); });
    ExpectSubscriptError([&] { a.ReDimPreserve(-1); });
    EXPECT_EQ(a, DoubleArray(1, {7, 8}));
    // Bounds at the ends of the 32-bit range must not overflow (the sanitizer build sees it).
    EXPECT_NO_THROW(a.ReDim(INT32_MIN, INT32_MIN));
    EXPECT_EQ(a.LBound(), INT32_MIN);
    EXPECT_EQ(a.UBound(), INT32_MIN);
    EXPECT_NO_THROW(a.ReDimPreserve(INT32_MIN));
    EXPECT_EQ(a.Count(), 1u);
    ExpectSubscriptError([] { DoubleArray(INT32_MAX, {1.0, 2.0}); });
    EXPECT_EQ(DoubleArray(INT32_MAX, {1.0}).UBound(), INT32_MAX);
}

TEST(VbArray, EqualityTellsAllocationAndBoundsApart) {
    EXPECT_EQ(DoubleArray(), DoubleArray());
    EXPECT_NE(DoubleArray(), DoubleArray::WithBounds(0, -1));
    EXPECT_NE(DoubleArray(0, {1}), DoubleArray(1, {1}));
    EXPECT_NE(DoubleArray(1, {1}), DoubleArray(1, {2}));
}

}  // namespace
}  // namespace torvane

#include <gtest/gtest.h>

#include <cmath>

#include "model/Error.h"
#include "toolpath/TextHelpers.h"
#include "toolpath/VectorMath.h"

namespace torvane {
namespace {

TEST(VectorMathTest, DistanceSumAndDifference) {
    EXPECT_EQ(VectorDistance(DoubleArray(1, {0, 0, 0}), DoubleArray(1, {3, 4, 0})), 5);
    // The bounds of the start points decide which elements count.
    EXPECT_EQ(VectorDistance(DoubleArray(0, {1, 0, 0}), DoubleArray(0, {9, 3, 4})),
              std::sqrt(89.0));
    // Element 0 is ignored by the sum and the difference; the result starts at 1.
    EXPECT_EQ(AddVectors(DoubleArray(0, {100, 1, 2}), DoubleArray(0, {100, 10, 20})),
              (DoubleArray(1, {11, 22})));
    EXPECT_EQ(SubtractVectors(DoubleArray(1, {5, 7}), DoubleArray(1, {1, 2, 3})),
              (DoubleArray(1, {4, 5})));
}

TEST(VectorMathTest, ShorterSecondArgumentRaisesSubscriptError) {
    const auto code = [](auto f) {
        try {
            f();
        } catch (const Error& e) {
            return e.Code();
        }
        return ErrorCode::InvalidArgument;
    };
    EXPECT_EQ(code([] {
                  VectorDistance(DoubleArray(1, {0, 0}), DoubleArray(1, {1}));
              }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(code([] {
                  AddVectors(DoubleArray(1, {0, 0}), DoubleArray(1, {1}));
              }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(code([] {
                  SubtractVectors(DoubleArray(1, {0, 0}), DoubleArray(1, {1}));
              }),
              ErrorCode::SubscriptOutOfRange);
}

TEST(TextHelpersTest, SplitAndReplace) {
    EXPECT_EQ(SplitText("a,,b", ","), (StringArray(0, {"a", "", "b"})));
    EXPECT_EQ(SplitText(",", ","), (StringArray(0, {"", ""})));
    const StringArray none = SplitText("", ",");
    EXPECT_EQ(none.LBound(), 0);
    EXPECT_EQ(none.UBound(), -1);
    EXPECT_EQ(SplitText("a\r\nb\n", "\r\n"), (StringArray(0, {"a", "b\n"})));

    EXPECT_EQ(ReplaceAll("SSxS", "S", " 3"), " 3 3x 3");
    // Replaced text is not scanned again.
    EXPECT_EQ(ReplaceAll("aa", "a", "aa"), "aaaa");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("VMax*t-.5*AMax*t^2", "AMax", " 1"), "VMax*t-.5* 1*t^2");
}

}  // namespace
}  // namespace torvane

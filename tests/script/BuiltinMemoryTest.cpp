// The built-ins that copy whole texts charge their copies to the budget before they make them:
// whatever one call does to a large text, the memory the program holds while it runs stays
// within the budget plus 64 MB, and the engine runs code afterwards.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "script/Engine.h"
#include "tests/support/HeapCount.h"

namespace vbs {
namespace {

using mechanon::testing::HeapInUse;
using mechanon::testing::HeapPeak;
using mechanon::testing::ResetHeapPeak;

constexpr std::size_t kBudget = 32u << 20;
constexpr std::size_t kSlack = 64u << 20;

TEST(BuiltinMemory, CopiesOfLargeTextsStayWithinTheBudget) {
    // Each prepares a text within the budget, then one call copies or widens it.
    const char* kCalls[] = {
        "y = Replace(x, \" \", \"ab\")",          "y = Replace(x, \" \", ChrW(233))",
        "y = Replace(x, \"Q\", \"b\", 1, -1, 1)", "y = Split(x & \",\" & x, \",\", -1, 1)",
        "y = Join(Array(x, x, x), \"-\")",        "y = Filter(Array(x, x, x, x), \" \")",
        "y = String(20000000, ChrW(233))",        "y = Space(60000000)",
    };
    for (const char* call : kCalls) {
        Engine engine;
        engine.SetMemoryBudget(kBudget);
        engine.AddCode("x = Space(12000000)");
        const std::size_t before = HeapInUse();
        ResetHeapPeak();
        int number = 0;
        try {
            engine.AddCode(call);
        } catch (const ScriptError& e) {
            number = e.Number();
        }
        EXPECT_TRUE(number == 0 || number == err::kOutOfMemory) << call << ": " << number;
        EXPECT_LE(HeapPeak() - before, kBudget + kSlack) << call;
        EXPECT_LE(engine.MemoryInUse(), kBudget) << call;
        engine.AddCode("z = Len(Replace(\"abc\", \"b\", \"xx\"))");
        EXPECT_EQ(engine.Eval("z").ToDouble(), 4) << call;
    }
}

TEST(BuiltinMemory, WhatFitsTheBudgetStillRuns) {
    Engine engine;
    engine.SetMemoryBudget(kBudget);
    engine.AddCode(
        "x = Space(1000000)\n"
        "y = Replace(x, \" \", ChrW(233))\n"
        "p = Split(Replace(Left(x, 100000), \" \", \"a,\"), \",\")\n"
        "j = Join(p, \"\")");
    EXPECT_EQ(engine.Eval("Len(y)").ToDouble(), 1000000);
    EXPECT_EQ(engine.Eval("UBound(p)").ToDouble(), 100000);
    EXPECT_EQ(engine.Eval("Len(j)").ToDouble(), 100000);
    EXPECT_EQ(engine.Eval("Left(y, 2) = ChrW(233) & ChrW(233)").ToBool(), true);
}

}  // namespace
}  // namespace vbs

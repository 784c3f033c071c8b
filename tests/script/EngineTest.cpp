// The engine interface the tool-path engine relies on: added code stays until Reset, Eval
// sees the current definitions, limits raise errors, a stop token ends a running script.

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <string>
#include <thread>

#include "ScriptTestSupport.h"

namespace vbs::test {
namespace {

int ErrorNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const ScriptError& e) {
        return e.Number();
    }
    return 0;
}

TEST(ScriptEngine, AddedCodeStaysUntilReset) {
    Engine engine;
    engine.AddCode(
        "Dim scale\nscale = 3\nFunction Leg(n)\n  Leg = \"<LEG>\" & n * scale & \"</LEG>\"\nEnd "
        "Function");
    EXPECT_EQ(engine.Eval("Leg(2)").ToString(), "<LEG>6</LEG>");
    engine.AddCode("scale = 10");
    EXPECT_EQ(engine.Eval("Leg(2)").ToString(), "<LEG>20</LEG>");
    engine.Reset();
    EXPECT_EQ(ErrorNumber([&] { engine.Eval("Leg(2)"); }), 13);
    EXPECT_TRUE(engine.Eval("scale").IsEmpty());
}

TEST(ScriptEngine, CachedExpressionsSeeRedefinedProcedures) {
    Engine engine;
    engine.AddCode("Function f(x)\nf = x + 1\nEnd Function");
    EXPECT_EQ(engine.Eval("f(1)").ToDouble(), 2);
    engine.AddCode("Function f(x)\nf = x * 10\nEnd Function");
    EXPECT_EQ(engine.Eval("f(1)").ToDouble(), 10);
    engine.Reset();
    engine.AddCode("Dim f\nf = 7");
    EXPECT_EQ(engine.Eval("f").ToDouble(), 7);
}

TEST(ScriptEngine, SyntaxErrorRejectsTheWholeBlock) {
    Engine engine;
    engine.AddCode("x = 1");
    EXPECT_EQ(ErrorNumber([&] { engine.AddCode("x = 2\nFunction g()\nEnd Function\ny = (1"); }),
              1006);
    EXPECT_EQ(engine.Eval("x").ToDouble(), 1);
    EXPECT_EQ(ErrorNumber([&] { engine.Eval("g()"); }), 13);
}

TEST(ScriptEngine, RunTimeErrorKeepsEarlierWorkOfTheBlock) {
    Engine engine;
    EXPECT_EQ(ErrorNumber([&] {
                  engine.AddCode("Function h()\nh = 5\nEnd Function\nx = 1\ny = 1 / 0\nz = 1");
              }),
              11);
    EXPECT_EQ(engine.Eval("h() + x").ToDouble(), 6);
    EXPECT_TRUE(engine.Eval("z").IsEmpty());
}

TEST(ScriptEngine, EvalAcceptsLineBreaksAroundOneExpression) {
    Engine engine;
    engine.AddCode("Function Legs()\nLegs = \"a\" & vbCrLf & \"b\"\nEnd Function");
    EXPECT_EQ(engine.Eval("\r\nLegs()\r\n").ToString(), "a\r\nb");
    EXPECT_EQ(ErrorNumber([&] { engine.Eval("1\n2"); }), 1025);
    EXPECT_EQ(ErrorNumber([&] { engine.Eval(""); }), 1023);
}

TEST(ScriptEngine, EnginesAreIndependent) {
    Engine a;
    Engine b;
    a.AddCode("v = 1");
    b.AddCode("v = 2");
    EXPECT_EQ(a.Eval("v").ToDouble(), 1);
    EXPECT_EQ(b.Eval("v").ToDouble(), 2);
    EXPECT_EQ(a.Eval("Rnd").ToDouble(), b.Eval("Rnd").ToDouble());
}

TEST(ScriptEngine, AStopStopsEveryKindOfLoop) {
    const char* loops[] = {
        "For i = 1 To 2 Step 0\nNext", "Do\nLoop", "While True\nWend", "Do While 1\nLoop",
        "Sub r()\nr\nEnd Sub\nr",
    };
    for (const char* code : loops) {
        Engine engine;
        std::stop_source stop;
        engine.SetStopToken(stop.get_token());
        stop.request_stop();
        EXPECT_EQ(ErrorNumber([&] { engine.AddCode(code); }), 18) << code;
    }
}

TEST(ScriptEngine, StopTokenStopsALoopFromAnotherThreadAndANewTokenRunsAgain) {
    Engine engine;
    std::stop_source source;
    engine.SetStopToken(source.get_token());
    EXPECT_EQ(engine.Eval("2 * 3").ToDouble(), 6);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        source.request_stop();
    });
    // An error being handled when the stop comes does not swallow it.
    const int number =
        ErrorNumber([&] { engine.AddCode("On Error Resume Next\nDo\n  x = 1 / 0\nLoop"); });
    stopper.join();
    EXPECT_EQ(number, 18);
    EXPECT_EQ(ErrorNumber([&] { engine.AddCode("Sub r()\nr\nEnd Sub\nr"); }), 18);
    engine.SetStopToken({});
    EXPECT_EQ(engine.Eval("1 + 1").ToDouble(), 2);
}

TEST(ScriptEngine, PollHookRunsDuringALongLoopAndCanStopIt) {
    Engine engine;
    std::stop_source source;
    engine.SetStopToken(source.get_token());
    int calls = 0;
    const auto start = std::chrono::steady_clock::now();
    engine.SetPollHook([&] {
        ++calls;
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(50)) {
            source.request_stop();
        }
    });
    EXPECT_EQ(ErrorNumber([&] { engine.AddCode("Do\n  x = x + 1\nLoop"); }), 18);
    EXPECT_GE(calls, 2);
    engine.SetPollHook({});
    engine.SetStopToken({});
    EXPECT_EQ(engine.Eval("1 + 1").ToDouble(), 2);
}

TEST(ScriptEngine, DeepRecursionRaisesOutOfStackSpace) {
    Engine engine;
    engine.AddCode("Function Down(n)\nDown = Down(n + 1)\nEnd Function");
    EXPECT_EQ(ErrorNumber([&] { engine.Eval("Down(0)"); }), 28);
    engine.AddCode(
        "Function Depth(n)\nIf n = 0 Then Depth = 0 Else Depth = 1 + Depth(n - 1)\nEnd Function");
    EXPECT_EQ(engine.Eval("Depth(200)").ToDouble(), 200);
}

TEST(ScriptEngine, DeepNestingRaisesInsteadOfCrashing) {
    Engine engine;
    const std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
    EXPECT_EQ(ErrorNumber([&] { engine.Eval(deep); }), 28);
    std::string ifs;
    for (int i = 0; i < 3000; ++i) ifs += "If 1 Then\n";
    EXPECT_EQ(ErrorNumber([&] { engine.AddCode(ifs); }), 28);
    const std::string shallow = std::string(50, '(') + "1" + std::string(50, ')');
    EXPECT_EQ(engine.Eval(shallow).ToDouble(), 1);
    // Operator chains nest to the left without any parenthesis: bounded like nesting.
    std::string chain = "x";
    for (int i = 0; i < 200000; ++i) chain += "+x";
    EXPECT_EQ(ErrorNumber([&] { engine.Eval(chain); }), 28);
    EXPECT_EQ(ErrorNumber([&] { engine.AddCode("y = " + chain); }), 28);
    engine.AddCode("x = 1");
    std::string concat = "\"\"";
    for (int i = 0; i < 900; ++i) concat += " & x";
    EXPECT_EQ(engine.Eval(concat).ToString(), std::string(900, '1'));
}

TEST(ScriptEngine, SizeLimitsRaiseInsteadOfExhaustingMemory) {
    Engine engine;
    EXPECT_EQ(ErrorNumber([&] { engine.Eval("Space(2000000000)"); }), 14);
    EXPECT_EQ(ErrorNumber([&] { engine.AddCode("s = Space(40000000)\ns = s & s"); }), 14);
    EXPECT_EQ(ErrorNumber([&] { engine.AddCode("ReDim a(100000000)"); }), 7);
    EXPECT_EQ(ErrorNumber([&] { engine.AddCode("Dim a(5000, 5000)"); }), 7);
}

TEST(ScriptEngine, ExpressionCacheStaysBounded) {
    Engine engine;
    for (int i = 0; i < 3000; ++i) {
        const std::string text = std::to_string(i) + " * 2";
        ASSERT_EQ(engine.Eval(text).ToDouble(), i * 2.0);
    }
    EXPECT_EQ(engine.Eval("5 * 2").ToDouble(), 10);
}

// A script that nests arrays ever deeper is stopped with a clear error, and what it built
// is freed without harm when the next run replaces it.
TEST(ScriptEngine, DeeplyNestedArraysEndWithAnErrorAndAreFreed) {
    Engine engine;
    try {
        engine.AddCode(
            "Dim chain\nFor i = 1 To 300000\n  ReDim level(0)\n  level(0) = chain\n"
            "  chain = level\nNext");
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_EQ(e.Number(), err::kOutOfMemory);
        EXPECT_NE(e.Description().find("nested"), std::string::npos);
    }
    EXPECT_EQ(engine.Eval("i").ToDouble(), ArrayData::kMaxNesting + 1);
    EXPECT_EQ(ErrorNumber([&] { engine.AddCode("x = Array(chain)"); }), err::kOutOfMemory);
    engine.AddCode("chain = Empty");
    EXPECT_EQ(engine.Eval("1 + 1").ToDouble(), 2);
}

// A single call of a built-in over a huge text or array notices a stop: with the stop set before
// the statement runs (no script loop or procedure call in between), only the built-in's own
// checks can end it.
TEST(ScriptEngine, BuiltinsThatLoopOverTheirInputObeyTheStop) {
    Engine engine;
    engine.AddCode(
        "big = Replace(Space(200000), \" \", \"a,\")\nparts = Split(big, \",\")\n"
        "Dim nums(20000)");
    const char* kCalls[] = {
        "x = Split(big, \",\")",
        "x = Join(parts, \";\")",
        "x = Filter(parts, \"a\")",
        "x = Replace(big, \",\", \";\")",
        "x = String(500000, \"\xc3\xa9\")",
        "x = Join(nums, \"\")",
    };
    for (const char* call : kCalls) {
        std::stop_source stop;
        stop.request_stop();
        engine.SetStopToken(stop.get_token());
        EXPECT_EQ(ErrorNumber([&] { engine.AddCode(call); }), err::kInterrupted) << call;
        engine.SetStopToken({});
        EXPECT_NO_THROW(engine.AddCode(call)) << call;
    }
}

// A long text of definitions is compiled with the stop looked at as it goes: a stop from another
// thread, or one asked before, ends the compilation with error 18 and none of the text is kept.
TEST(ScriptEngine, CompilationEndsOnStop) {
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "Function f" + std::to_string(i) + "(x)\n  f" + std::to_string(i) +
                " = x + 1\nEnd Function\n";
    Engine engine;
    for (const int delay : {0, 30}) {
        std::stop_source stop;
        engine.SetStopToken(stop.get_token());
        if (delay == 0) stop.request_stop();
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            stop.request_stop();
        });
        EXPECT_EQ(ErrorNumber([&] { engine.AddCode(text); }), err::kInterrupted) << delay;
        stopper.join();
        engine.SetStopToken({});
        EXPECT_EQ(ErrorNumber([&] { engine.Eval("f1(1)"); }), 13) << delay;
        engine.AddCode("Function g(x)\n  g = x * 2\nEnd Function");
        EXPECT_EQ(engine.Eval("g(21)").ToDouble(), 42) << delay;
    }
    // Tokens are looked at too: one procedure of one very long statement.
    std::string list = "Function h()\n  h = Array(0";
    for (int i = 0; i < 200000; ++i) list += ", 1";
    list += ")\nEnd Function\n";
    std::stop_source stop;
    stop.request_stop();
    engine.SetStopToken(stop.get_token());
    EXPECT_EQ(ErrorNumber([&] { engine.AddCode(list); }), err::kInterrupted);
}

// One built-in call on a text of 30 million characters looks at the stop as it copies, widens,
// searches and builds: a stop from another thread ends it, and the engine runs code afterwards.
TEST(ScriptEngine, BuiltinsOnHugeTextsEndOnStop) {
    const char* kCalls[] = {
        "x = Replace(String(30000000, \"a\"), \"a\", \"b\")",
        "x = Replace(String(30000000, ChrW(233)), ChrW(233), \"b\")",
        "x = Split(String(30000000, ChrW(233)), \"Q\", -1, 1)",
        "x = Join(Split(String(30000000, \"a\"), \"\"), \",\")",
    };
    for (const char* call : kCalls) {
        Engine engine;
        std::stop_source stop;
        engine.SetStopToken(stop.get_token());
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            stop.request_stop();
        });
        const int number = ErrorNumber([&] { engine.AddCode(call); });
        stopper.join();
        EXPECT_TRUE(number == err::kInterrupted || number == err::kOutOfMemory)
            << call << ": " << number;
        engine.SetStopToken({});
        EXPECT_EQ(engine.Eval("Replace(\"aXa\", \"x\", \"-\", 1, -1, 1)").ToString(), "a-a");
    }
}

// Texts and arrays piled up past the budget end the run with error 7; what the failed run left
// behind is given back once dropped, and the engine runs code again.
TEST(ScriptEngine, MemoryBudgetRefusesWhatWouldExceedItAndRecovers) {
    Engine engine;
    engine.SetMemoryBudget(8u << 20);
    const char* kPileUps[] = {
        "Dim pile(100000)\nFor i = 0 To 100000\n  pile(i) = Space(1000)\nNext",
        "s = \"\"\nFor i = 1 To 1000000\n  s = s & \"0123456789\"\nNext",
        "Dim grow()\nFor i = 0 To 2000000 Step 1000\n  ReDim Preserve grow(i)\nNext",
        "x = Split(String(3000000, \"a\") & \",\" & String(3000000, \"b\"), \",\")",
    };
    for (const char* code : kPileUps) {
        try {
            engine.AddCode(code);
            FAIL() << "no error from: " << code;
        } catch (const ScriptError& e) {
            EXPECT_EQ(e.Number(), err::kOutOfMemory) << code;
            EXPECT_NE(e.Description().find("8 MB"), std::string::npos) << e.Description();
        }
        EXPECT_LE(engine.MemoryInUse(), std::size_t{8} << 20);
        engine.Reset();
        EXPECT_EQ(engine.MemoryInUse(), 0u) << code;
        engine.AddCode("small = Space(1000) & \"x\"");
        EXPECT_EQ(engine.Eval("Len(small)").ToDouble(), 1001);
    }
    engine.SetMemoryBudget(256u << 20);  // the same pile fits a larger budget
    engine.AddCode(kPileUps[0]);
    EXPECT_GT(engine.MemoryInUse(), std::size_t{100} * 1000 * 1000);
}

// Whatever a script does (loop for ever, recurse, pile up texts or arrays, split and join huge
// texts), a stop from another thread ends it with error 18 or the budget ends it with error 7,
// and the texts and arrays it holds never pass the budget.
TEST(ScriptEngine, HostileScriptsEndOnStopAndStayWithinTheBudget) {
    const char* kScripts[] = {
        "Do\nLoop",
        "While True\n  x = x + 1\nWend",
        "Function Spin()\n  Do\n  Loop\nEnd Function\nx = Spin()",
        "Dim pile()\nFor i = 0 To 100000000\n  ReDim Preserve pile(i)\n  pile(i) = "
        "Space(100)\nNext",
        "s = \"x\"\nDo\n  s = s & s\n  If Len(s) > 1000000 Then s = Left(s, 1000000)\nLoop",
        "t = Replace(Space(3000000), \" \", \"a,\")\nDo\n  p = Split(t, \",\")\n  t2 = Join(p, "
        "\",\")\n"
        "Loop",
        "Do\n  a = Array(a, Space(100000))\nLoop",
    };
    constexpr std::size_t kBudget = 32u << 20;
    for (const char* code : kScripts) {
        Engine engine;
        engine.SetMemoryBudget(kBudget);
        std::stop_source stop;
        engine.SetStopToken(stop.get_token());
        std::size_t peak = 0;
        engine.SetPollHook([&] { peak = std::max(peak, engine.MemoryInUse()); });
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            stop.request_stop();
        });
        const int number = ErrorNumber([&] { engine.AddCode(code); });
        stopper.join();
        EXPECT_TRUE(number == err::kInterrupted || number == err::kOutOfMemory)
            << code << ": " << number;
        EXPECT_LE(peak, kBudget) << code;
        EXPECT_LE(engine.MemoryInUse(), kBudget) << code;
        engine.SetStopToken({});
        EXPECT_EQ(engine.Eval("2 * 21").ToDouble(), 42) << code;
    }
}

}  // namespace
}  // namespace vbs::test

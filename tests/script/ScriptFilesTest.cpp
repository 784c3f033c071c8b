// Conformance scripts: each file in scripts/ prints values with `Print`, and every line that
// prints carries the expected text in a trailing comment:   Print 7 \ 2   ' expect: 3
// A file may end in an uncaught error:                       x = 1 / 0    ' expect error: 11
// The error must then be raised at that line.

#include <gtest/gtest.h>

#include <sstream>

#include "ScriptTestSupport.h"

namespace vbs::test {
namespace {

struct Expectations {
    std::vector<std::string> lines;
    int errorNumber = 0;
    int errorLine = 0;
};

// Lines are counted in the script itself; the prelude is added as a separate block.
Expectations ReadExpectations(const std::string& script) {
    Expectations ex;
    std::istringstream in(script);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (const auto p = line.find("' expect: "); p != std::string::npos) {
            std::string text = line.substr(p + 10);
            while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
            ex.lines.push_back(text);
        } else if (const auto q = line.find("' expect error: "); q != std::string::npos) {
            ex.errorNumber = std::stoi(line.substr(q + 16));
            ex.errorLine = number;
        }
    }
    return ex;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

class ScriptFile : public ::testing::TestWithParam<std::string> {};

TEST_P(ScriptFile, PrintsExpectedValues) {
    const std::string script = ReadFile(GetParam());
    const Expectations ex = ReadExpectations(script);
    Engine engine;
    engine.AddCode(kPrintPrelude);
    int errorNumber = 0;
    int errorLine = 0;
    std::string errorText;
    try {
        engine.AddCode(script);
    } catch (const ScriptError& e) {
        errorNumber = e.Number();
        errorLine = e.Line();
        errorText = e.what();
    }
    EXPECT_EQ(errorNumber, ex.errorNumber) << errorText << " at line " << errorLine;
    if (ex.errorNumber != 0) {
        EXPECT_EQ(errorLine, ex.errorLine);
    }
    const Value out = engine.Eval("out__");
    const std::vector<std::string> printed =
        SplitLines(out.IsEmpty() ? std::string() : out.ToString());
    const std::size_t n = std::max(printed.size(), ex.lines.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::string got = i < printed.size() ? printed[i] : "<nothing>";
        const std::string want = i < ex.lines.size() ? ex.lines[i] : "<nothing>";
        EXPECT_EQ(got, want) << "output line " << i + 1;
    }
}

std::string FileName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(info.param.find_last_of('/') + 1);
    name = name.substr(0, name.find('.'));
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Conformance, ScriptFile, ::testing::ValuesIn(ScriptFiles()), FileName);

}  // namespace
}  // namespace vbs::test

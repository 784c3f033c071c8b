// The code page of robot and text files: the characters that differ from Latin-1, what
// cannot be represented, malformed input, and a round trip of every byte.

#include <gtest/gtest.h>

#include <string>

#include "model/Codepage.h"

namespace torvane {
namespace {

TEST(Codepage, ConvertsLettersAndSymbolsBothWays) {
    struct Pair {
        const char* utf8;
        const char* bytes;
    };
    const Pair pairs[] = {
        {"caf\xC3\xA9", "caf\xE9"},  // é
        {"\xE2\x82\xAC"
         "5",
         "\x80"
         "5"},                                       // €
        {"\xC5\xA0", "\x8A"},                        // Š
        {"\xE2\x80\x9Cq\xE2\x80\x9D", "\x93q\x94"},  // curly quotes
        {"\xC3\xBF", "\xFF"},                        // ÿ
        {"plain ASCII\r\n", "plain ASCII\r\n"},
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(Utf8ToCodepage(p.utf8), p.bytes) << p.utf8;
        EXPECT_EQ(CodepageToUtf8(p.bytes), p.utf8) << p.utf8;
    }
}

TEST(Codepage, UnrepresentableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCodepage("a\xE6\x97\xA5z"), "a?z");  // a CJK character
    EXPECT_EQ(Utf8ToCodepage("\xF0\x9F\x98\x80"), "?");  // an emoji (4 bytes)
    EXPECT_EQ(Utf8ToCodepage("\xC4\x80"), "?");          // Ā
}

TEST(Codepage, MalformedUtf8NeverYieldsAHiddenCharacter) {
    EXPECT_EQ(Utf8ToCodepage("\x80"), "?");    // a lone continuation byte
    EXPECT_EQ(Utf8ToCodepage("a\xC3"), "a?");  // cut off at the end
    EXPECT_EQ(Utf8ToCodepage("\xC3"
                             "A"),
              "?A");  // a lead byte without continuation
    // Overlong forms of "/" and of NUL must not turn into those characters.
    const std::string overlongSlash = Utf8ToCodepage("\xC0\xAF");
    EXPECT_EQ(overlongSlash.find('/'), std::string::npos);
    EXPECT_EQ(overlongSlash.find_first_not_of('?'), std::string::npos);
    const std::string overlongNul = Utf8ToCodepage(std::string("\xE0\x80\x80", 3));
    EXPECT_EQ(overlongNul.find('\0'), std::string::npos);
    // A UTF-16 surrogate and a code point beyond U+10FFFF.
    EXPECT_EQ(Utf8ToCodepage("\xED\xA0\x80").find_first_not_of('?'), std::string::npos);
    EXPECT_EQ(Utf8ToCodepage("\xF4\x90\x80\x80").find_first_not_of('?'), std::string::npos);
}

TEST(Codepage, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string text = CodepageToUtf8(all);
    EXPECT_EQ(Utf8ToCodepage(text), all);
    // Each byte on its own too, so no byte depends on its neighbours.
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCodepage(CodepageToUtf8(one)), one) << b;
    }
}

}  // namespace
}  // namespace torvane

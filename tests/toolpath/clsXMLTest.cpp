#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "model/Error.h"
#include "toolpath/clsXML.h"

namespace torvane {
namespace {

struct Piece {
    std::string tag;
    std::string contents;
};

std::vector<Piece> Split(std::string_view text, std::string_view tags) {
    const VbArray<typXML> pieces = clsXML().SplitXML(text, tags);
    EXPECT_EQ(pieces.LBound(), 1);
    std::vector<Piece> out;
    for (const typXML& p : pieces.Items()) out.push_back({p.Tag, p.Contents});
    return out;
}

MATCHER_P(PiecesAre, expected, "") {
    if (arg.size() != expected.size()) {
        *result_listener << "has " << arg.size() << " pieces";
        return false;
    }
    for (std::size_t i = 0; i < arg.size(); ++i) {
        if (arg[i].tag != expected[i].tag || arg[i].contents != expected[i].contents) {
            *result_listener << "piece " << i + 1 << " is " << arg[i].tag << " \""
                             << arg[i].contents << "\"";
            return false;
        }
    }
    return true;
}

DoubleArray Points(std::initializer_list<double> v) {
    return DoubleArray(1, v);
}

const std::string kDriveBlock =
    "<DRIVE>\r\n"
    "\tStartS=  0\r\n"
    "\tEndS=  5\r\n"
    "\t 0 ,  0 ,  0\r\n"
    "\t .6*S, .8*S, 0*S\r\n"
    "</DRIVE>\r\n";

TEST(SplitXMLTest, StraightLineBlockReadsBackThroughEveryLayer) {
    const clsXML xml;
    const std::string block = xml.WriteLine(Points({0, 0, 0}), Points({3, 4, 0}));
    EXPECT_EQ(block, kDriveBlock);

    const std::string leg = "<LEG>\r\n" + block + "</LEG>\r\n";
    EXPECT_THAT(Split(leg, "LEG,WAIT,DRIVE"),
                PiecesAre(std::vector<Piece>{
                    {"Untagged", ""}, {"LEG", "\r\n" + block}, {"Untagged", "\r\n"}}));

    // The leg reader reads the contents of the LEG piece.
    const VbArray<typToolPathSubLeg> sublegs =
        xml.ParseXMLSublegs(xml.SplitXML(leg, "LEG")(2).Contents);
    ASSERT_EQ(sublegs.LBound(), 1);
    ASSERT_EQ(sublegs.UBound(), 1);
    const typToolPathSubLeg& s = sublegs(1);
    EXPECT_EQ(s.StartS, 0);
    EXPECT_EQ(s.EndS, 5);
    EXPECT_EQ(s.StartPoints, Points({0, 0, 0}));
    EXPECT_EQ(s.ParametricEQs, (StringArray(1, {" .6*S", " .8*S", " 0*S"})));
}

TEST(SplitXMLTest, EdgeCasesGiveTheListedPieces) {
    EXPECT_THAT(Split("", "LEG"), PiecesAre(std::vector<Piece>{}));
    EXPECT_THAT(Split("no tags here", "LEG"),
                PiecesAre(std::vector<Piece>{{"Untagged", "no tags here"}}));
    EXPECT_THAT(Split("x<WAIT></WAIT>y", "LEG,WAIT,DRIVE"),
                PiecesAre(std::vector<Piece>{{"Untagged", "x"}, {"WAIT", ""}, {"Untagged", "y"}}));
    // Case-sensitive names.
    EXPECT_THAT(Split("<leg>a</leg>", "LEG"),
                PiecesAre(std::vector<Piece>{{"Untagged", "<leg>a</leg>"}}));
    // A "<" that begins no tag ends recognition for the rest of the text.
    EXPECT_THAT(Split("a<b<LEG>c</LEG>", "LEG"),
                PiecesAre(std::vector<Piece>{{"Untagged", "a<b<LEG>c</LEG>"}}));
    EXPECT_THAT(Split("<LEG>open", "LEG"),
                PiecesAre(std::vector<Piece>{{"Untagged", "<LEG>open"}}));
    // The first closing tag ends the piece; the rest stays untagged.
    EXPECT_THAT(Split("<LEG>1<LEG>2</LEG>3</LEG>", "LEG"),
                PiecesAre(std::vector<Piece>{
                    {"Untagged", ""}, {"LEG", "1<LEG>2"}, {"Untagged", "3</LEG>"}}));
    // Inner tags stay in the contents for a later reader.
    EXPECT_THAT(
        Split("<LEG><DRIVE>d</DRIVE></LEG><WAIT></WAIT>", "LEG,WAIT,DRIVE"),
        PiecesAre(std::vector<Piece>{
            {"Untagged", ""}, {"LEG", "<DRIVE>d</DRIVE>"}, {"Untagged", ""}, {"WAIT", ""}}));
    // Names are not trimmed.
    EXPECT_THAT(Split("<LEG>a</LEG>", " LEG"),
                PiecesAre(std::vector<Piece>{{"Untagged", "<LEG>a</LEG>"}}));
}

TEST(SplitXMLTest, FirstListedNameWithAClosingTagIsTaken) {
    // "A" has no closing tag, so the second name is tried at the same "<".
    EXPECT_THAT(Split("<AB>x</AB>", "A,AB"),
                PiecesAre(std::vector<Piece>{{"Untagged", ""}, {"AB", "x"}}));
    // An opening tag whose closing tag lies only before it is no tag at all.
    EXPECT_THAT(
        Split("<LEG>a</LEG><LEG>b", "LEG"),
        PiecesAre(std::vector<Piece>{{"Untagged", ""}, {"LEG", "a"}, {"Untagged", "<LEG>b"}}));
}

TEST(SplitXMLTest, ClosingTagOverlappingTheOpeningTagIsNotAccepted) {
    // With the name "></" the closing tag "</></>" begins inside the opening tag "<></>". Searching
    // the closing tag from the scan position would find it there and give contents of negative
    // length; it must be searched after the opening tag.
    EXPECT_THAT(Split("<></></>", "></"), PiecesAre(std::vector<Piece>{{"Untagged", "<></></>"}}));
    EXPECT_THAT(Split("<></>a</></>", "></"),
                PiecesAre(std::vector<Piece>{{"Untagged", ""}, {"></", "a"}}));
}

TEST(SplitXMLTest, PiecesPutBackTogetherGiveTheTextForRandomInput) {
    // No text may be lost or duplicated: the untagged pieces and the tagged pieces with their
    // tags restored concatenate to the input.
    std::mt19937 rng(20261207);
    const std::vector<std::string> atoms = {"<LEG>",   "</LEG>",   "<WAIT>", "</WAIT>",
                                            "<DRIVE>", "</DRIVE>", "<",      ">",
                                            "/",       "a",        "\r\n",   "LEG"};
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int n = static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i) text += atoms[rng() % atoms.size()];
        std::string rebuilt;
        for (const Piece& p : Split(text, "LEG,WAIT,DRIVE"))
            rebuilt += p.tag == "Untagged" ? p.contents
                                           : "<" + p.tag + ">" + p.contents + "</" + p.tag + ">";
        ASSERT_EQ(rebuilt, text);
    }
}

TEST(ParseXMLSublegsTest, ReadsBlocksInOrderAndIgnoresEverythingElse) {
    const std::string leg =
        "before\r\n"
        "<DRIVE> ignored rest of line\r\n\tStart= 1.5\r\n\tFinish=3=4\r\n\t 1 , 2 , 3\r\n\tS,t*2, "
        "S\r\n\textra\r\n</DRIVE>"
        "<DRIVE>\r\n\t\tStartS= -2\r\n\t\tEndS= x\r\n\t\t1 2,3\r\n\t\tcos(S),sin(S)\r\n</DRIVE>";
    const VbArray<typToolPathSubLeg> s = clsXML().ParseXMLSublegs(leg);
    ASSERT_EQ(s.UBound(), 2);
    EXPECT_EQ(s(1).StartS, 1.5);
    EXPECT_EQ(s(1).EndS, 3);  // the text between the first and the second "="
    EXPECT_EQ(s(1).StartPoints, Points({1, 2, 3}));
    EXPECT_EQ(s(1).ParametricEQs, (StringArray(1, {"S", "t*2", " S"})));
    EXPECT_EQ(s(2).StartS, -2);
    EXPECT_EQ(s(2).EndS, 0);  // no number reads as 0, never an error
    EXPECT_EQ(s(2).StartPoints, Points({12, 3}));
    // Only one tab is removed.
    EXPECT_EQ(s(2).ParametricEQs, (StringArray(1, {"\tcos(S)", "sin(S)"})));

    const VbArray<typToolPathSubLeg> none = clsXML().ParseXMLSublegs("<LEG>no drive</LEG>");
    EXPECT_EQ(none.LBound(), 1);
    EXPECT_EQ(none.UBound(), 0);
}

TEST(ParseXMLSublegsTest, MalformedBlocksRaiseAnErrorNamingTheBlock) {
    const std::string good = kDriveBlock;
    const auto expectError = [](const std::string& leg, const std::string& fragment) {
        try {
            clsXML().ParseXMLSublegs(leg);
            ADD_FAILURE() << "no error for " << leg;
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::SubscriptOutOfRange);
            EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
        }
    };
    // Equations on the closing tag's line: only four lines.
    expectError(good + "<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 1\r\n\t0</DRIVE>",
                "DRIVE block 2, line 7: the block has 4 lines");
    expectError("<DRIVE>one line</DRIVE>", "DRIVE block 1, line 1: the block has 1 lines");
    expectError("<DRIVE>\r\n\tStartS 0\r\n\tEndS= 1\r\n\t0\r\n\tS\r\n</DRIVE>",
                "DRIVE block 1, line 2: \"StartS 0\" has no \"=\"");
    expectError(good + good + "<DRIVE>\r\n\tStartS= 0\r\n\tEndS 1\r\n\t0\r\n\tS\r\n</DRIVE>",
                "DRIVE block 3, line 15");

    // Numbers beyond a double are the one number a block cannot hold.
    for (const std::string& leg :
         {std::string("<DRIVE>\r\n\tStartS= 1E999\r\n\tEndS= 1\r\n\t0\r\n\tS\r\n</DRIVE>"),
          good + "<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 1\r\n\t0 , -1D400\r\n\tS,S\r\n</DRIVE>"}) {
        try {
            clsXML().ParseXMLSublegs(leg);
            ADD_FAILURE() << "no error for " << leg;
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::Overflow);
            EXPECT_TRUE(std::string(e.what()).find("DRIVE block 1, line 2") != std::string::npos ||
                        std::string(e.what()).find("DRIVE block 2, line 10") != std::string::npos)
                << e.what();
        }
    }
}

TEST(ClsXMLHelpersTest, ArraysKeepOrShiftTheirBounds) {
    const clsXML xml;
    const StringArray tabbed(0, {"\ta", "\t\tb", "c", ""});
    EXPECT_EQ(xml.RemoveTabs(tabbed), (StringArray(0, {"a", "\tb", "c", ""})));

    const DoubleArray d = xml.StringsToDoubles(StringArray(0, {" 1.5", "x", "-2e1", " .25 "}));
    EXPECT_EQ(d, (DoubleArray(1, {1.5, 0, -20, 0.25})));
    EXPECT_EQ(xml.StringsToDoubles(StringArray(3, {"7"})), (DoubleArray(4, {7})));
    EXPECT_THROW(xml.StringsToDoubles(StringArray()), Error);
}

TEST(ClsXMLHelpersTest, WritersUseSignedNumberText) {
    const clsXML xml;
    EXPECT_EQ(xml.JoinDoubles(Points({-0.5})), "-.5");
    EXPECT_EQ(xml.JoinDoubles(Points({0.25, -3, 1e-7})), " .25 , -3 ,  1E-07");
    EXPECT_EQ(xml.WriteDrive(-1.5, 0.5, DoubleArray(0, {2}), StringArray(0, {"a", "b", "c"})),
              "<DRIVE>\r\n\tStartS= -1.5\r\n\tEndS=  .5\r\n\t 2\r\n\ta,b,c\r\n</DRIVE>\r\n");

    double endS = 0;
    const StringArray eqs = xml.ParametricLineFromEndPoints(Points({1, 1}), Points({1, -1}), endS);
    EXPECT_EQ(endS, 2);
    EXPECT_EQ(eqs, (StringArray(1, {" 0*S", "-1*S"})));
}

TEST(ClsXMLHelpersTest, CoincidingEndPointsRaiseDivisionByZero) {
    const clsXML xml;
    double endS = 42;
    try {
        xml.ParametricLineFromEndPoints(Points({1, 2}), Points({1, 2}), endS);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), ErrorCode::DivisionByZero);
    }
    EXPECT_EQ(endS, 42);
    EXPECT_THROW(xml.WriteLine(Points({0}), Points({0})), Error);
    // Fewer end coordinates than start coordinates.
    EXPECT_THROW(xml.WriteLine(Points({0, 0}), Points({1})), Error);
}

}  // namespace
}  // namespace torvane

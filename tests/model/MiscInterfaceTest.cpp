// The text helpers: joining and parsing number triples and lists, blank pieces, whole text
// files in the code page, and the file dialog.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "model/Error.h"
#include "model/clsMiscInterface.h"
#include "platform/ScriptedUserInterface.h"

namespace torvane {
namespace {

namespace fs = std::filesystem;

const char kPositionMessage[] =
    "You need to enter three numbers separated by commas to define a position.";
const char kOrientationMessage[] =
    "You need to enter three numbers separated by commas to define an orientation.";

class MiscInterfaceTest : public ::testing::Test {
  protected:
    ScriptedUserInterface ui;
    ScopedUserInterface scope{ui};
    clsMiscInterface mi;
};

template <typename F>
ErrorCode CodeOf(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.Code();
    }
    ADD_FAILURE() << "no error";
    return ErrorCode::ScriptError;
}

TEST_F(MiscInterfaceTest, JoinsTriplesAndListsInNumberText) {
    EXPECT_EQ(mi.Join3Vector({1, -2, 0.5}), "1, -2, .5");
    EXPECT_EQ(mi.JoinAttitude({0, 90, -45}), "0, 90, -45");
    EXPECT_EQ(mi.JoinDoubles(DoubleArray(1, {1, -2, 0.5})), " 1 , -2 ,  .5");
    EXPECT_EQ(mi.JoinDoubles(DoubleArray(0, {0})), " 0");
    EXPECT_EQ(mi.JoinDoubles(DoubleArray(-2, {1e-5, 3})), " 1E-05 ,  3");
    EXPECT_EQ(CodeOf([&] { mi.JoinDoubles(DoubleArray()); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(CodeOf([&] { mi.JoinDoubles(DoubleArray::WithBounds(1, 0)); }),
              ErrorCode::SubscriptOutOfRange);
}

TEST_F(MiscInterfaceTest, ParsesThreeNumbersSkippingBlankPieces) {
    struct Case {
        const char* text;
        typ3Point expected;
    };
    const Case cases[] = {
        {"1,2,3", {1, 2, 3}},
        {" 1 , 2 , 3 ", {1, 2, 3}},
        {"1,,2,3", {1, 2, 3}},
        {"1.5e2, -3, abc", {150, -3, 0}},
        {"1 2, .5,-&H10", {12, 0.5, 0}},
        {"1,2", {0, 0, 0}},
        {"1,2,3,4", {0, 0, 0}},
        {",,", {0, 0, 0}},
        {"7", {0, 0, 0}},
        {" ", {0, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(mi.Parse3Vector(c.text), c.expected) << c.text;
    EXPECT_TRUE(ui.Messages().empty());
    // The attitude fields come in the order Pitch, Yaw, Roll.
    const typAttitude a = mi.ParseAttitude("0, 90, -45");
    EXPECT_EQ(a, (typAttitude{0, 90, -45}));
    EXPECT_EQ(mi.ParseAttitude(mi.JoinAttitude({1.25, -7, 1e-5})), (typAttitude{1.25, -7, 1e-5}));
}

TEST_F(MiscInterfaceTest, EmptyTextShowsTheMessageAndGivesZeros) {
    EXPECT_EQ(mi.Parse3Vector(""), (typ3Point{}));
    EXPECT_EQ(mi.ParseAttitude(""), (typAttitude{}));
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0], kPositionMessage);
    EXPECT_EQ(ui.Messages()[1], kOrientationMessage);
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::OK);
}

TEST_F(MiscInterfaceTest, TooLargeNumberInAPieceRaisesOverflow) {
    EXPECT_EQ(CodeOf([&] { mi.Parse3Vector("1, 1E400, 3"); }), ErrorCode::Overflow);
    EXPECT_EQ(CodeOf([&] { mi.ParseAttitude("1D999,0,0"); }), ErrorCode::Overflow);
}

TEST_F(MiscInterfaceTest, RemoveSpaceNullsKeepsNonBlankPiecesAndTheLowerBound) {
    EXPECT_EQ(mi.RemoveSpaceNulls(StringArray(0, {"a", " ", "b"})), StringArray(0, {"a", "b"}));
    EXPECT_EQ(mi.RemoveSpaceNulls(StringArray(3, {" ", " x ", "", "y"})),
              StringArray(3, {" x ", "y"}));
    // Nothing survives: the input's bounds, every element empty.
    EXPECT_EQ(mi.RemoveSpaceNulls(StringArray(0, {" ", ""})), StringArray(0, {"", ""}));
    EXPECT_EQ(mi.RemoveSpaceNulls(StringArray(5, {"   "})), StringArray(5, {""}));
    // Only space characters count as blank.
    EXPECT_EQ(mi.RemoveSpaceNulls(StringArray(0, {"\t", " "})), StringArray(0, {"\t"}));
    EXPECT_EQ(CodeOf([&] { mi.RemoveSpaceNulls(StringArray()); }), ErrorCode::SubscriptOutOfRange);
}

TEST_F(MiscInterfaceTest, StringsToDoublesShiftsTheBoundsUpByOne) {
    EXPECT_EQ(mi.StringsToDoubles(StringArray(0, {"1", "x"})), DoubleArray(1, {1, 0}));
    EXPECT_EQ(mi.StringsToDoubles(StringArray(-1, {" .5", "2 5", "&HFFFF"})),
              DoubleArray(0, {0.5, 25, -1}));
    EXPECT_EQ(CodeOf([&] { mi.StringsToDoubles(StringArray()); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(CodeOf([&] { mi.StringsToDoubles(StringArray(0, {"1e999"})); }), ErrorCode::Overflow);
}

class TextFileTest : public MiscInterfaceTest {
  protected:
    fs::path dir = fs::temp_directory_path() /
                   ("misc-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    static std::string Bytes(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(TextFileTest, SaveWritesCodePageBytesAndLoadReadsThemBack) {
    const std::string path = (dir / "script.txt").string();
    const std::string text = "h\xC3\xA9llo \xE2\x82\xAC\r\nline 2\n";  // é and €
    mi.SaveString(path, text);
    EXPECT_EQ(Bytes(path), "h\xE9llo \x80\r\nline 2\n");
    EXPECT_EQ(mi.LoadString(path), text);
    // A shorter text over a longer file leaves exactly the new bytes.
    mi.SaveString(path, "ab");
    EXPECT_EQ(Bytes(path), "ab");
    EXPECT_EQ(mi.LoadString(path), "ab");
    // A character the code page lacks comes back as "?".
    mi.SaveString(path, "x\xE6\x97\xA5y");
    EXPECT_EQ(mi.LoadString(path), "x?y");
    mi.SaveString(path, "");
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(mi.LoadString(path), "");
}

TEST_F(TextFileTest, LoadingAMissingFileReadsEmptyAndCreatesNothing) {
    const fs::path path = dir / "absent.txt";
    EXPECT_EQ(mi.LoadString(path.string()), "");
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(TextFileTest, BadPathsRaiseAFileErrorNamingThePath) {
    const std::string folder = dir.string();
    const std::string inMissingFolder = (dir / "no-such-folder" / "x.txt").string();
    for (const std::string& path : {folder, inMissingFolder}) {
        try {
            mi.LoadString(path);
            ADD_FAILURE() << "no error loading " << path;
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::FileError);
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
        try {
            mi.SaveString(path, "text");
            ADD_FAILURE() << "no error saving " << path;
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::FileError);
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
    EXPECT_EQ(CodeOf([&] { mi.LoadString(""); }), ErrorCode::FileError);
    EXPECT_EQ(CodeOf([&] { mi.SaveString("", "x"); }), ErrorCode::FileError);
}

TEST_F(MiscInterfaceTest, FileDialogReturnsTheChoiceOrEmptyOnCancel) {
    const std::string filter = "Bots files (*.Bots)|*.bot|";
    ui.fileAnswers.push_back("/home/user/arm.bot");
    std::string path = "start.bot";
    mi.GetPathFromUser(path, true, filter);
    EXPECT_EQ(path, "/home/user/arm.bot");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].kind, ScriptedUserInterface::Kind::SaveDialog);
    EXPECT_EQ(ui.shown[0].text, "start.bot");
    EXPECT_EQ(ui.shown[0].extra, filter);

    // Cancelling empties a path that held one on entry.
    mi.GetPathFromUser(path, false, filter);
    EXPECT_EQ(path, "");
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].kind, ScriptedUserInterface::Kind::OpenDialog);
    EXPECT_EQ(ui.shown[1].text, "/home/user/arm.bot");
}

// A host whose file dialog cannot be shown.
class FailingDialog final : public UserInterface {
  public:
    MsgAnswer MsgBox(const std::string&, MsgButtons, const std::string&) override {
        return MsgAnswer::OK;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string FileDialog(bool, const std::string&, const std::string&) override {
        throw std::runtime_error("no display");
    }
    void DoEvents() override {}
};

TEST(MiscInterfaceDialog, AFailingDialogCountsAsCancel) {
    FailingDialog failing;
    const ScopedUserInterface installed(failing);
    std::string path = "/home/user/arm.bot";
    clsMiscInterface{}.GetPathFromUser(path, false, "Bots files (*.Bots)|*.bot|");
    EXPECT_EQ(path, "");
}

}  // namespace
}  // namespace torvane

// The tool-path window ("Work"): its two tabs, the script and tool-path files with their
// filters, expanding, re-timing and the ellipse path.

#include <QCoreApplication>
#include <QFile>

#include "app/frmBot.h"
#include "app/motion/frmCutToolPath.h"
#include "tests/app/motion/MotionWindowTest.h"

namespace mechanon::testing {
namespace {

class ToolPathWindow : public MotionWindowTest {
  protected:
    frmCutToolPath& Work() {
        auto* work = Main().findChild<frmCutToolPath*>("frmCutToolPath");
        EXPECT_NE(work, nullptr);
        return *work;
    }
    void ShowWork() {
        Choose("mnuWork");
        ProcessEventsFor(20);
    }
    static QByteArray Bytes(const std::string& file) {
        QFile f(QString::fromStdString(file));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return f.readAll();
    }
    static void Write(const std::string& file, const QByteArray& bytes) {
        QFile f(QString::fromStdString(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(ToolPathWindow, OpensBesideTheViewWithTheScriptTab) {
    ShowWork();
    frmCutToolPath& work = Work();
    EXPECT_TRUE(work.isVisible());
    EXPECT_EQ(work.windowTitle(), "Work");
    EXPECT_EQ(work.geometry(), Main().LeftColumn()) << "in the left column, beside the 3D view";
    EXPECT_EQ(work.txtScript->Text(), "StartT=0\r\nEndT=1\r\n0,0\r\nt,t^2");
    EXPECT_TRUE(work.txtScript->isVisible());
    EXPECT_FALSE(work.txtXML->isVisible());
    work.TabStrip1->setCurrentIndex(1);
    EXPECT_FALSE(work.txtScript->isVisible());
    EXPECT_TRUE(work.txtXML->isVisible());
}

TEST_F(ToolPathWindow, FilesHoldTheBoxesByteForByte) {
    ShowWork();
    frmCutToolPath& work = Work();
    // Blank lines, tabs, trailing line ends and a character of the single-byte code page.
    const std::string script = "<LEG>\r\n\tStartS= 0\r\n\r\n\t\xc3\xa9t\xc3\xa9\r\n</LEG>\r\n\r\n";
    work.txtScript->SetText(script);
    const std::string file = temp.Path("script.txt");
    Ui().fileAnswers.push_back(file);
    Click(work.cmdSave);
    ASSERT_EQ(Ui().shown.size(), 1u);
    EXPECT_EQ(Ui().shown[0].kind, torvane::ScriptedUserInterface::Kind::SaveDialog);
    EXPECT_EQ(Ui().shown[0].extra, "scripted toolpath files (*.txt)|*.txt|");
    EXPECT_EQ(Bytes(file), QByteArray("<LEG>\r\n\tStartS= 0\r\n\r\n\t\xe9t\xe9\r\n</LEG>\r\n\r\n"));

    // A file made elsewhere, with bare line feeds, comes back exactly as it was.
    const std::string foreign = temp.Path("foreign.txt");
    Write(foreign, "<DRIVE>\n\tStartS= 0\n</DRIVE>\n");
    Ui().fileAnswers.push_back(foreign);
    Click(work.cmdOpenXML);
    EXPECT_EQ(Ui().shown.back().extra, "xml toolpath files (*.txt)|*.txt|");
    const std::string again = temp.Path("again.txt");
    Ui().fileAnswers.push_back(again);
    Click(work.cmdSaveXML);
    EXPECT_EQ(Bytes(again), Bytes(foreign));

    // Reopening the saved script gives the same text.
    work.txtScript->SetText("other");
    Ui().fileAnswers.push_back(file);
    Click(work.cmdOpen);
    EXPECT_EQ(work.txtScript->Text(), script);
    EXPECT_TRUE(Ui().Messages().empty());
}

TEST_F(ToolPathWindow, CancelledDialogsAndUnreadableFilesChangeNothing) {
    ShowWork();
    frmCutToolPath& work = Work();
    work.txtScript->SetText("mine");
    work.txtXML->SetText("path");
    for (QPushButton* b : {work.cmdOpen, work.cmdSave, work.cmdOpenXML, work.cmdSaveXML})
        Click(b);  // every dialog answers "" (cancel)
    EXPECT_EQ(work.txtScript->Text(), "mine");
    EXPECT_EQ(work.txtXML->Text(), "path");
    EXPECT_TRUE(Ui().Messages().empty());

    Ui().fileAnswers.push_back(temp.Path("no/such/folder/x.txt"));
    Click(work.cmdSaveXML);
    EXPECT_EQ(Ui().Messages().size(), 1u) << "a file that cannot be written is reported";
    EXPECT_EQ(work.txtXML->Text(), "path");
}

TEST_F(ToolPathWindow, ExpandRetimeAndEllipse) {
    ShowWork();
    frmCutToolPath& work = Work();
    Click(work.cmdExpand);
    EXPECT_EQ(work.txtXML->Text(), "StartT=0\r\nEndT=1\r\n0,0\r\nt,t^2")
        << "a script without tags is copied unchanged";

    Click(work.cmdWriteEllipsoid);
    EXPECT_EQ(Count(work.txtXML->Text(), "<DRIVE>"), 25);
    Click(work.cmdTripleStop);
    const std::string timed = work.txtXML->Text();
    EXPECT_EQ(Count(timed, "<LEG>"), 25) << "one leg per block";
    EXPECT_GE(Count(timed, "<DRIVE>"), 50);
    EXPECT_TRUE(Ui().Messages().empty());

    Click(work.cmdGraph);
    EXPECT_EQ(work.txtXML->Text(), timed) << "Graph Toolpath does nothing here";
}

TEST_F(ToolPathWindow, ExpandAndTripleStopMarkTheLineTheyCannotUse) {
    ShowWork();
    frmCutToolPath& work = Work();
    work.txtXML->SetText("kept");
    work.txtScript->SetText("<LEG>\r\n\r\nx <EVALCODE>1</EVALCODE>\r\n</LEG>");
    Click(work.cmdExpand);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("Line 3: \"<EVALCODE>\""), std::string::npos)
        << Ui().Messages()[0];
    EXPECT_EQ(work.txtScript->MarkedLine(), 3);
    EXPECT_EQ(work.txtScript->textCursor().positionInBlock(), 2);
    EXPECT_EQ(work.txtXML->Text(), "kept");

    const std::string open = "<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n</LEG>";
    work.txtXML->SetText(open);
    Click(work.cmdTripleStop);
    ASSERT_EQ(Ui().Messages().size(), 2u);
    EXPECT_NE(Ui().Messages()[1].find("Line 2"), std::string::npos) << Ui().Messages()[1];
    EXPECT_EQ(work.txtXML->MarkedLine(), 2);
    EXPECT_EQ(work.txtXML->Text(), open);
}

TEST_F(ToolPathWindow, EscapeEndsReTimingAnEndlessEquation) {
    ShowWork();
    frmCutToolPath& work = Work();
    Ui().onDoEvents = [] { QCoreApplication::processEvents(); };
    work.txtScript->SetText(
        "<ADDCODE>Function Hang(x)\r\nDo\r\nLoop\r\nEnd Function</ADDCODE><LEG>\r\n"
        "<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 4\r\n\t 0\r\n\tHang(S)\r\n</DRIVE>\r\n</LEG>");
    Click(work.cmdExpand);
    const std::string path = work.txtXML->Text();
    ASSERT_NE(path.find("Hang(S)"), std::string::npos);
    QTimer::singleShot(300, [&work] { QTest::keyClick(work.txtXML, Qt::Key_Escape); });
    Click(work.cmdTripleStop);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("in equation \"Hang("), std::string::npos)
        << Ui().Messages()[0];
    EXPECT_EQ(work.txtXML->Text(), path);
}

}  // namespace
}  // namespace mechanon::testing

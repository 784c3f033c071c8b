// The tool-path commands of the motor control window on text they cannot use: Graph, Expand to
// TripleStops and Run Script refuse it naming the line, mark that line in the box and change
// nothing; what they did is reported in the status bar. The help page's script examples run.

#include <QFile>
#include <QRegularExpression>
#include <QStatusBar>

#include "model/NumberText.h"
#include "tests/app/motion/MotionWindowTest.h"

namespace mechanon::testing {
namespace {

std::string Drive(double endS, const std::string& points, const std::string& eqs) {
    return "<DRIVE>\r\n\tStartS= 0\r\n\tEndS= " + torvane::NumberText(endS) + "\r\n\t" + points +
           "\r\n\t" + eqs + "\r\n</DRIVE>\r\n";
}

class PathCommands : public MotionWindowTest {
  protected:
    void SetUp() override {
        MotionWindowTest::SetUp();
        BuildArm();
        ShowWindow();
        Window().txtPeriod->setText(".05");
    }
    QString Status() { return Main().statusBar()->currentMessage(); }
    // The one message shown since the last call, and whether the box marks `line` with the
    // cursor there.
    std::string TakeMessage() {
        EXPECT_EQ(Ui().Messages().size(), 1u);
        const std::string message = Ui().Messages().empty() ? "" : Ui().Messages().back();
        Ui().shown.clear();
        return message;
    }
    static bool MarksLine(MultiLineTextBox& box, int line) {
        return box.MarkedLine() == line && box.textCursor().blockNumber() + 1 == line;
    }
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(PathCommands, AMalformedPathIsRefusedNamingTheLineAndKeptAsItWas) {
    SelectPage(1);
    MultiLineTextBox& box = *Window().txtXML;
    // Neither the EndS line nor the closing tag of the block.
    const std::string broken = "<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n\t 0 , 0\r\n\tS,S\r\n</LEG>\r\n";
    for (QPushButton* command : {Window().Command2, Window().cmdTripleStop}) {
        box.SetText(broken);
        Click(command);
        const std::string message = TakeMessage();
        EXPECT_TRUE(Has(message, "Line 2: \"<DRIVE>\"")) << message;
        EXPECT_TRUE(Has(message, "has no closing \"</DRIVE>\"")) << message;
        EXPECT_EQ(box.Text(), broken) << "the text stays as it was";
        EXPECT_TRUE(MarksLine(box, 2));
    }
    // The closing tag there, the EndS line still missing: the key line is named.
    const std::string noEnd =
        "<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n\t 0 , 0\r\n\tS,S\r\n\r\n</DRIVE>\r\n</LEG>\r\n";
    box.SetText(noEnd);
    Click(Window().cmdTripleStop);
    EXPECT_TRUE(Has(TakeMessage(), "line 4: \" 0 , 0\" has no \"=\""));
    EXPECT_TRUE(MarksLine(box, 4));
    EXPECT_EQ(box.Text(), noEnd);
    // Editing the text takes the mark away; a path with nothing to draw says so.
    box.SetText("<LEG>\r\n</LEG>\r\n");
    EXPECT_EQ(box.MarkedLine(), 0);
    Click(Window().Command2);
    EXPECT_TRUE(Has(TakeMessage(), "no DRIVE block to graph"));
}

TEST_F(PathCommands, ScriptCodeInsideALegIsRefusedNamingItsLine) {
    SelectPage(2);
    Window().txtXML->SetText("kept");
    Window().txtVBScript->SetText(
        "<ADDCODE>Function Pose(a, b)\r\nPose = a & \" , \" & b\r\nEnd Function</ADDCODE>\r\n"
        "<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 1\r\n\t<EVALCODE>Pose(10, -20)</EVALCODE>\r\n"
        "\tS,S\r\n</DRIVE>\r\n</LEG>\r\n");
    Click(Window().Command3);
    const std::string message = TakeMessage();
    EXPECT_TRUE(Has(message, "Line 8: \"<EVALCODE>\" inside the LEG block of line 4")) << message;
    EXPECT_TRUE(MarksLine(*Window().txtVBScript, 8));
    EXPECT_EQ(Window().txtVBScript->textCursor().positionInBlock(), 1) << "at the tag";
    EXPECT_EQ(Window().txtXML->Text(), "kept");

    // The same line in a tool path: Graph does not take it for start points of 0.
    SelectPage(1);
    Window().txtXML->SetText("<LEG>\r\n" + Drive(1, "<EVALCODE>Pose(10, -20)</EVALCODE>", "S,S") +
                             "</LEG>");
    Click(Window().Command2);
    EXPECT_TRUE(Has(TakeMessage(), "Line 5: \"<EVALCODE>\""));
    EXPECT_TRUE(MarksLine(*Window().txtXML, 5));
    EXPECT_EQ(MaskValue(1), 0) << "nothing was drawn";

    // A failing code block marks its own line and column.
    SelectPage(2);
    Window().txtVBScript->SetText("x\r\n<EVALCODE>1 +</EVALCODE>");
    Click(Window().Command3);
    EXPECT_TRUE(Has(TakeMessage(), "at script line 2"));
    EXPECT_TRUE(MarksLine(*Window().txtVBScript, 2));
}

TEST_F(PathCommands, AnEquationWithoutAValueEndsTheCommandNamingEquationMotorAndS) {
    SelectPage(1);
    const std::string path = "<LEG>\r\n" + Drive(1, " 0 , 0", "S,20*S/(1-S)") + "</LEG>";
    Window().txtXML->SetText(path);
    Click(Window().Command2);
    std::string message = TakeMessage();
    EXPECT_TRUE(Has(message, "Motor 2: Division by zero (script error 11)")) << message;
    EXPECT_TRUE(Has(message, "\"20*S/(1-S)\" at S = 1")) << message;
    EXPECT_TRUE(Has(message, "line 1")) << message;
    EXPECT_TRUE(MarksLine(*Window().txtXML, 1));
    Click(Window().cmdTripleStop);
    EXPECT_TRUE(Has(TakeMessage(), "Motor 2: Division by zero"));
    EXPECT_EQ(Window().txtXML->Text(), path);

    Window().txtXML->SetText("<LEG>\r\n" + Drive(1, " 0 , 0", "S,20*S/0") + "</LEG>");
    Click(Window().Command2);
    message = TakeMessage();
    EXPECT_TRUE(Has(message, "Division by zero (script error 11) in equation \"20*S/0\""))
        << message;
}

TEST_F(PathCommands, CommandsSayWhatTheyDidInTheStatusBar) {
    SelectPage(2);
    Window().txtVBScript->SetText("<LEG>\r\n" + Drive(2, " 0 , 0", "S,S") +
                                  Drive(2, " 2 , 2", "S,S") + "</LEG>\r\n" +
                                  Drive(1, " 4 , 4", "S,-S"));
    Click(Window().Command3);
    EXPECT_EQ(Status(), "Ran the script: 1 leg, 3 DRIVE blocks in the tool path.");
    SelectPage(1);
    Click(Window().Command2);
    EXPECT_EQ(Status(), "Graphed the tool path: 2 legs, 3 pieces.");
    Click(Window().cmdTripleStop);
    EXPECT_TRUE(Status().startsWith("Expanded to TripleStops: 3 legs, 6 pieces, "))
        << Status().toStdString();
    EXPECT_TRUE(Status().endsWith("the default limits (VMax 5, AMax 5) set the time."))
        << Status().toStdString();
    EXPECT_TRUE(Ui().Messages().empty());

    // A motor with a speed limit of its own sets the time, and is named.
    SelectPage(3);
    Window().txtProperties->SetText("5,5\r\nShoulder,Shoulder,1,1,1,100\r\nElbow,Elbow,2");
    Click(Window().Command4);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    SelectPage(1);
    Window().txtXML->SetText(Drive(4, " 0 , 0", "S,S"));
    Click(Window().cmdTripleStop);
    EXPECT_TRUE(Status().endsWith("the limits of Shoulder set the time."))
        << Status().toStdString();
}

TEST_F(PathCommands, PathsWithBareLineFeedsWorkAsWithCrLf) {
    SelectPage(1);
    const std::string crlf = "<LEG>\r\n" + Drive(3, " 0 , 0", "10*S,-5*S") + "</LEG>\r\n";
    std::string lf;
    for (const char c : crlf)
        if (c != '\r') lf += c;
    Window().txtXML->SetText(crlf);
    Click(Window().cmdTripleStop);
    const std::string fromCrLf = Window().txtXML->Text();
    Window().txtXML->SetText(lf);
    Click(Window().cmdTripleStop);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    std::string fromLf = Window().txtXML->Text();
    EXPECT_EQ(Count(fromLf, "<DRIVE>"), 2) << "a triangle: too short for the speed limit";
    for (std::size_t at = 0; (at = fromLf.find('\n', at)) != std::string::npos; at += 2)
        if (at == 0 || fromLf[at - 1] != '\r') fromLf.insert(at, "\r");
    EXPECT_EQ(fromLf, fromCrLf);
}

// The script engine follows the language in the corners its scripts reach.
TEST_F(PathCommands, RunScriptFollowsTheLanguage) {
    SelectPage(2);
    Window().txtVBScript->SetText(
        "<EVALCODE>CByte(True) & \",\" & (Not \"#FALSE#\") & \",\" & InStr(20, \"abcdef\", \"\", "
        "0)</EVALCODE>");
    Click(Window().Command3);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    EXPECT_EQ(Window().txtXML->Text(), "255,True,0");
}

// Each script example of the help page, taken from the page as shipped, runs, graphs, re-times
// and graphs again without a message.
TEST_F(PathCommands, TheHelpPagesScriptExamplesExpandAndGraph) {
    QFile page(QString::fromStdString(SourcePath("app/mechanon.htm")));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    const QRegularExpression example("<pre class=\"script-example\">\\n(.*?)</pre>",
                                     QRegularExpression::DotMatchesEverythingOption);
    int examples = 0;
    for (const QRegularExpressionMatch& m : example.globalMatch(html)) {
        QString script = m.captured(1);
        script.replace("&lt;", "<")
            .replace("&gt;", ">")
            .replace("&quot;", "\"")
            .replace("&amp;", "&");
        ++examples;
        SCOPED_TRACE("help example " + std::to_string(examples));
        SelectPage(2);
        Window().txtVBScript->SetText(script.toStdString());
        Click(Window().Command3);
        ASSERT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
        EXPECT_TRUE(Status().startsWith("Ran the script: ")) << Status().toStdString();
        SelectPage(1);
        ASSERT_GT(Count(Window().txtXML->Text(), "<DRIVE>"), 0);
        Click(Window().Command2);
        EXPECT_TRUE(Status().startsWith("Graphed the tool path: ")) << Status().toStdString();
        Click(Window().cmdTripleStop);
        Click(Window().Command2);
        EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    }
    EXPECT_EQ(examples, 3);
}

}  // namespace
}  // namespace mechanon::testing

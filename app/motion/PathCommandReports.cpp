#include "app/motion/PathCommandReports.h"

#include <QApplication>
#include <QMainWindow>

#include "app/DesktopBasics.h"
#include "model/NumberText.h"
#include "toolpath/clsXML.h"

namespace mechanon {
namespace {

QString Plural(int n, const char* one, const char* many) {
    return QString::number(n) + " " + (n == 1 ? one : many);
}

int SublegCount(const std::vector<torvane::typToolPathPiece>& pieces) {
    int sublegs = 0;
    for (const torvane::typToolPathPiece& piece : pieces) sublegs += piece.Sublegs.Count();
    return sublegs;
}

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

QString Number(double value) {
    return QString::fromStdString(torvane::TrimmedNumberText(value));
}

}  // namespace

std::vector<torvane::typToolPathPiece> PiecesToGraph(std::string_view path) {
    std::vector<torvane::typToolPathPiece> pieces = ReadToolPathPieces(torvane::clsXML(), path);
    if (SublegCount(pieces) == 0)
        torvane::Raise(torvane::ErrorCode::FileFormat,
                       "The tool path holds no DRIVE block to graph; each motion is a DRIVE block "
                       "of \"StartS=\", \"EndS=\", start points and equations, closed by "
                       "\"</DRIVE>\".");
    return pieces;
}

QString GraphReport(const std::vector<torvane::typToolPathPiece>& pieces, bool stopped) {
    int legs = 0;
    for (const torvane::typToolPathPiece& piece : pieces) legs += piece.Drives() ? 1 : 0;
    const QString what =
        Plural(legs, "leg", "legs") + ", " + Plural(SublegCount(pieces), "piece", "pieces");
    return stopped ? "Graph stopped part way through " + what + "."
                   : "Graphed the tool path: " + what + ".";
}

QString RetimeReport(const torvane::RetimeSummary& summary,
                     const torvane::VbArray<torvane::typMotorProperties>& motors, double vMax,
                     double aMax) {
    QString text = "Expanded to TripleStops: " + Plural(summary.Legs, "leg", "legs") + ", " +
                   Plural(summary.Pieces, "piece", "pieces") + ", " +
                   QString::number(summary.Duration, 'f', 2) + " s; ";
    QStringList names;
    for (const std::int32_t motor : summary.LimitingMotors)
        names << (motor <= motors.UBound() ? QString::fromStdString(motors(motor).Name)
                                           : "motor " + QString::number(motor));
    if (names.isEmpty())
        return text + "the default limits (VMax " + Number(vMax) + ", AMax " + Number(aMax) +
               ") set the time.";
    return text + "the limits of " + names.join(", ") + " set the time.";
}

QString ScriptReport(const std::string& expanded) {
    return "Ran the script: " + Plural(Occurrences(expanded, "<LEG>"), "leg", "legs") + ", " +
           Plural(Occurrences(expanded, "<DRIVE>"), "DRIVE block", "DRIVE blocks") +
           " in the tool path.";
}

void ReportFromMotionWindow(QWidget& from, const QString& what) {
    for (QWidget* w = &from; w; w = w->parentWidget())
        if (qobject_cast<QMainWindow*>(w)) return ReportInStatusBar(from, what);
    for (QWidget* top : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(top)) return ReportInStatusBar(*top, what);
}

}  // namespace mechanon

#pragma once
// What the tool-path commands (Graph, Expand to TripleStops, Run Script) tell the user: a line in
// the main window's status bar when they went through, and, when they failed at a place in the
// text they read, that place marked in the box the text came from.

#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "app/motion/MultiLineTextBox.h"
#include "model/Error.h"
#include "model/VbArray.h"
#include "toolpath/ToolPathPieces.h"
#include "toolpath/TripleStops.h"
#include "toolpath/typMotorProperties.h"

class QWidget;

namespace mechanon {

// Runs work, which reads the text of box: a failure that names a line of it marks that line
// (and column) in the box and puts the cursor there before it goes on to its message.
template <typename Work>
void MarkingErrorsIn(MultiLineTextBox& box, Work&& work) {
    box.ClearErrorMark();
    try {
        work();
    } catch (const torvane::Error& e) {
        if (e.Line() > 0) box.MarkError(e.Line(), e.Column());
        throw;
    }
}

// The pieces of a tool path for a graph: raises a file-format error naming what is missing when
// the path holds no DRIVE block.
std::vector<torvane::typToolPathPiece> PiecesToGraph(std::string_view path);

QString GraphReport(const std::vector<torvane::typToolPathPiece>& pieces, bool stopped);
// Motors is the motor list the re-timing used (for the names of the motors that set the time).
QString RetimeReport(const torvane::RetimeSummary& summary,
                     const torvane::VbArray<torvane::typMotorProperties>& motors, double vMax,
                     double aMax);
QString ScriptReport(const std::string& expanded);

// Shows what in the status bar of the main window, from a window that may stand outside it.
void ReportFromMotionWindow(QWidget& from, const QString& what);

}  // namespace mechanon

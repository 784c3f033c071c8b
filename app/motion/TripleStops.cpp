#include "app/motion/TripleStops.h"

#include <vector>

#include "toolpath/clsToolPath.h"

namespace mechanon {

namespace {

// The DRIVE blocks of the text in order, from its legs and from blocks outside any leg. The
// leg reader stops at the first tag it does not know, so each piece is read on its own.
std::vector<torvane::typToolPathSubLeg> AllSublegs(torvane::clsXML& xml, std::string_view text) {
    std::vector<torvane::typToolPathSubLeg> sublegs;
    const torvane::VbArray<torvane::typXML> pieces = xml.SplitXML(text, "LEG,WAIT,DRIVE");
    for (const torvane::typXML& piece : pieces.Items()) {
        std::string leg;
        if (piece.Tag == "LEG")
            leg = piece.Contents;
        else if (piece.Tag == "DRIVE")
            leg = "<DRIVE>" + piece.Contents + "</DRIVE>";
        else
            continue;
        const torvane::VbArray<torvane::typToolPathSubLeg> read = xml.ParseXMLSublegs(leg);
        sublegs.insert(sublegs.end(), read.Items().begin(), read.Items().end());
    }
    return sublegs;
}

}  // namespace

std::string ExpandToTripleStops(torvane::clsToolPath& ToolPath, std::string_view InText) {
    torvane::clsXML& xml = ToolPath.XMLClass();
    std::string out;
    for (const torvane::typToolPathSubLeg& subleg : AllSublegs(xml, InText)) {
        const torvane::VbArray<torvane::typToolPathSubLeg> pieces =
            ToolPath.TripleSubleg(subleg, ToolPath.cVMax, ToolPath.cAMax);
        out += "<LEG>\r\n";
        for (const torvane::typToolPathSubLeg& piece : pieces.Items())
            out += xml.WriteDrive(piece.StartS, piece.EndS, piece.StartPoints, piece.ParametricEQs);
        out += "</LEG>\r\n";
    }
    return out;
}

}  // namespace mechanon

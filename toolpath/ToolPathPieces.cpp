#include "toolpath/ToolPathPieces.h"

#include <algorithm>
#include <string>

#include "model/Error.h"
#include "toolpath/StrayTags.h"

namespace torvane {
namespace {

constexpr std::string_view kPathTags = "LEG,WAIT,DRIVE";

// The length of a piece's text as it stands in the path, its tags put back.
std::size_t SourceLength(const typXML& piece) {
    if (piece.Tag == "Untagged") return piece.Contents.size();
    return piece.Contents.size() + 2 * piece.Tag.size() + 5;  // "<TAG>" and "</TAG>"
}

}  // namespace

void ForEachToolPathPiece(const clsXML& Xml, std::string_view InText,
                          const std::function<void(const typToolPathPiece&)>& Visit) {
    const VbArray<typXML> split = Xml.SplitXML(InText, kPathTags);
    // The split pieces with their tags put back are exactly the text, so the line of each is
    // counted on from the previous one: one pass over the text however many pieces it has.
    std::size_t pos = 0;
    std::size_t line = 1;
    for (std::int32_t i = split.LBound(); i <= split.UBound(); ++i) {
        const typXML& piece = split(i);
        const std::size_t length = SourceLength(piece);
        const std::size_t at = pos;
        pos += length;
        const std::size_t lineOfPiece = line;
        line += static_cast<std::size_t>(
            std::count(InText.begin() + static_cast<std::ptrdiff_t>(at),
                       InText.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
        typToolPathPiece read;
        read.Index = i;
        read.Line = lineOfPiece;
        if (piece.Tag == "Untagged") {
            RefuseStrayTags(piece.Contents, lineOfPiece, "between the blocks", kAllPathTags);
            continue;
        }
        if (piece.Tag == "WAIT") {
            RefuseStrayTags(piece.Contents, lineOfPiece, "inside the WAIT block", kAllPathTags);
            read.Kind = PieceKind::Wait;
            read.Sublegs = VbArray<typToolPathSubLeg>(1, {});
        } else if (piece.Tag == "LEG") {
            if (piece.Contents.empty()) continue;
            read.Kind = PieceKind::Leg;
            read.Sublegs = Xml.ParseXMLSublegs(piece.Contents, lineOfPiece);
        } else if (piece.Tag == "DRIVE") {
            read.Kind = PieceKind::Drive;
            read.Sublegs =
                Xml.ParseXMLSublegs("<DRIVE>" + piece.Contents + "</DRIVE>", lineOfPiece);
        } else {
            continue;
        }
        Visit(read);
    }
}

std::vector<typToolPathPiece> ReadToolPathPieces(const clsXML& Xml, std::string_view InText) {
    std::vector<typToolPathPiece> pieces;
    ForEachToolPathPiece(Xml, InText,
                         [&](const typToolPathPiece& piece) { pieces.push_back(piece); });
    return pieces;
}

void AtPieceLine(const typToolPathPiece& Piece, const std::function<void()>& Work) {
    constexpr int kUserInterrupt = 18;
    try {
        Work();
    } catch (const Error& e) {
        if (e.Line() > 0 || e.Number() == kUserInterrupt) throw;
        const int line = static_cast<int>(Piece.Line);
        const char* kind = Piece.Kind == PieceKind::Leg ? "LEG" : "DRIVE";
        throw Error(e.Code(), e.Number(),
                    std::string(e.what()) + " (the " + kind + " block of line " +
                        std::to_string(line) + ")")
            .At(line);
    }
}

std::int32_t MotorCountOf(const typToolPathSubLeg& Subleg) noexcept {
    return Subleg.StartPoints.IsAllocated() ? std::max(0, Subleg.StartPoints.UBound()) : 0;
}

std::int32_t MotorCountOf(const std::vector<typToolPathPiece>& Pieces) noexcept {
    std::int32_t most = 0;
    for (const typToolPathPiece& piece : Pieces)
        for (const typToolPathSubLeg& subleg : piece.Sublegs.Items())
            most = std::max(most, MotorCountOf(subleg));
    return most;
}

}  // namespace torvane

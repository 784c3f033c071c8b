#pragma once
// The one reader of a tool path's pieces: the LEG, DRIVE and WAIT blocks at the top level of the
// text, in text order, each LEG and loose DRIVE block already read into its sublegs. The driver,
// the motion samples and re-timing all walk a path through this.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "model/VbArray.h"
#include "toolpath/clsXML.h"

namespace torvane {

enum class PieceKind {
    Leg,    // a LEG block: the DRIVE blocks inside it
    Drive,  // a DRIVE block outside any leg: a leg of one subleg
    Wait,   // a WAIT block: the driver asks before going on; no sublegs
};

struct typToolPathPiece {
    PieceKind Kind = PieceKind::Leg;
    // Where the piece stands among the split pieces of the text (untagged text counted), from 1,
    // and the 1-based line of the text on which its opening tag stands: for messages.
    std::int32_t Index = 0;
    std::size_t Line = 1;
    VbArray<typToolPathSubLeg> Sublegs;  // from 1; bounds 1 to 0 for WAIT and for an empty leg

    bool Drives() const noexcept { return Kind != PieceKind::Wait; }
};

// The pieces of InText. A LEG block with no text at all is left out (it drives nothing and is not
// counted as a leg). Reading errors are raised as clsXML raises them, naming the line of InText,
// before anything is returned; so is a tag left open, closing nothing or holding script code
// between the blocks (see StrayTags.h).
std::vector<typToolPathPiece> ReadToolPathPieces(const clsXML& Xml, std::string_view InText);
// The same pieces handed to Visit one by one, each read just before its visit: a piece that
// cannot be read raises after the pieces before it were visited (an animation shows the legs
// up to a bad one).
void ForEachToolPathPiece(const clsXML& Xml, std::string_view InText,
                          const std::function<void(const typToolPathPiece&)>& Visit);

// Work on the sublegs of Piece: a failure that names no line of the text (an equation that fails
// while the piece is graphed or re-timed) is raised again naming the line of the piece's opening
// tag, and carrying it. A stop is raised as it is.
void AtPieceLine(const typToolPathPiece& Piece, const std::function<void()>& Work);

// The number of motors a subleg drives: the upper bound of its start points, 0 when it has none.
std::int32_t MotorCountOf(const typToolPathSubLeg& Subleg) noexcept;
// The most motors any subleg of the pieces drives.
std::int32_t MotorCountOf(const std::vector<typToolPathPiece>& Pieces) noexcept;

}  // namespace torvane

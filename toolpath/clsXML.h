#pragma once
// Tool-path text: the tagged text that carries scripts, tool paths and legs. clsXML is the one
// reader of this text and the writer of its smallest unit, the DRIVE block:
//
//   <DRIVE>
//   <tab>StartS= <number>
//   <tab>EndS= <number>
//   <tab><start point 1> , <start point 2> , ...
//   <tab><equation 1>,<equation 2>,...
//   </DRIVE>
//
// every line ending in CR LF. The tags only look like XML: no attributes, no escaping, no
// nesting of a tag inside itself; tags are found by plain, case-sensitive text search.

#include <cstddef>
#include <string>
#include <string_view>

#include "model/VbArray.h"

namespace torvane {

// One piece of split text.
struct typXML {
    std::string Contents;  // the text of the piece without its tags
    std::string Tag;       // the tag name as listed, or "Untagged"
    friend bool operator==(const typXML&, const typXML&) = default;
};

// One subleg, the smallest drivable unit of a tool path. The position of motor i at parameter s
// is StartPoints(i) + eq_i(s) - eq_i(StartS), so an equation gives only the shape of the motion.
// Re-timed sublegs are time-based: StartS 0, EndS the duration in seconds, equations in "t".
struct typToolPathSubLeg {
    double StartS = 0;
    double EndS = 0;
    DoubleArray StartPoints;    // indices 1 to M, one per motor of the driver's motor list
    StringArray ParametricEQs;  // indices 1 to M, equation texts in "S" (or "t")
    friend bool operator==(const typToolPathSubLeg&, const typToolPathSubLeg&) = default;
};

class clsXML {
  public:
    // Cuts InString into tagged and untagged pieces for the comma-separated tag names in Tags
    // (untrimmed, tried in the given order). A "<" that begins no listed tag with a matching
    // closing tag after it ends tag recognition for the rest of the text. Pieces are indexed
    // from 1; no pieces gives an allocated array with bounds 1 to 0.
    VbArray<typXML> SplitXML(std::string_view InString, std::string_view Tags) const;

    // The DRIVE blocks of one leg as subleg records, indexed from 1 (bounds 1 to 0 when the leg
    // holds none). Lines may end in CR LF, a bare line feed or a mix of both. A block with fewer
    // than five lines or a key line without "=" raises a subscript error, a block left open, a
    // closing tag that closes nothing or script code inside the leg a file-format error; each
    // names the block and the line of the text, counting InLeg's first line as FirstLine, and
    // carries that line. Text without a number reads as 0, and only a number beyond the range of
    // a double raises (an overflow error naming the block and the line).
    VbArray<typToolPathSubLeg> ParseXMLSublegs(std::string_view InLeg,
                                               std::size_t FirstLine = 1) const;

    // Each element without one leading tab, same bounds.
    StringArray RemoveTabs(const StringArray& InStrs) const;

    // The number value of each element, re-indexed one higher (a list cut from text at index 0
    // becomes a list from 1).
    DoubleArray StringsToDoubles(const StringArray& InStrings) const;

    // The text of one DRIVE block.
    std::string WriteDrive(double StartS, double EndS, const DoubleArray& StartPoints,
                           const StringArray& Eqs) const;

    // A DRIVE block for the straight line between two points, parametrised by distance.
    // Coinciding points raise a division-by-zero error.
    std::string WriteLine(const DoubleArray& InStartPoints, const DoubleArray& InEndPoints) const;

    // Signed number texts joined with " , ".
    std::string JoinDoubles(const DoubleArray& InDoubles) const;

    // Equations "<unit direction i>*S", indices 1 to the upper bound of InStartPoints; OutEndS is
    // set to the distance between the points, so S runs from 0 to that distance. Coinciding
    // points raise a division-by-zero error and leave OutEndS unchanged.
    StringArray ParametricLineFromEndPoints(const DoubleArray& InStartPoints,
                                            const DoubleArray& InEndPoints, double& OutEndS) const;
};

}  // namespace torvane

#pragma once
// Text helpers the windows use: records and number lists to and from the comma-separated
// text of text boxes, whole text files in the robot file's code page, and the file dialog.
// The class holds no state.

#include <string>

#include "model/Records.h"
#include "model/VbArray.h"

namespace torvane {

class clsMiscInterface {
  public:
    // Shows the open (or, with ShowSave, the save) file dialog with the filter list
    // InFilter ("description|pattern|" pairs), starting at PassPath. PassPath receives the
    // chosen path, or "" when the user cancels or the dialog fails.
    void GetPathFromUser(std::string& PassPath, bool ShowSave, const std::string& InFilter) const;
    // The whole file converted from the code page, no line-ending conversion. A path that
    // names no file reads as "" (and no file is made); a path that cannot be read fails
    // with a file error naming the path.
    std::string LoadString(const std::string& InPath) const;
    // Writes exactly the code-page bytes of InString, cutting a longer file. A path that
    // cannot be written fails with a file error naming the path.
    void SaveString(const std::string& InPath, const std::string& InString) const;

    // " 1 , -2 ,  .5": the number texts, blanks kept, joined by " , ". Subscript error for
    // an array without elements.
    std::string JoinDoubles(const DoubleArray& InDoubles) const;
    // "0, 90, -45": the trimmed number texts joined by ", ".
    std::string JoinAttitude(const typAttitude& InPoint) const;
    std::string Join3Vector(const typ3Point& InPoint) const;
    // Number values of InStrings(L..U) at L + 1..U + 1. Subscript error without elements.
    DoubleArray StringsToDoubles(const StringArray& InStrings) const;
    // Three comma-separated numbers; blank pieces are dropped. Empty text shows a message
    // and gives zeros; any other count of pieces gives zeros silently. A number too large
    // for a double fails with an overflow error.
    typ3Point Parse3Vector(const std::string& InString) const;
    typAttitude ParseAttitude(const std::string& InString) const;
    // The non-blank elements, unchanged and in order, from the input's lower bound on; if
    // none is non-blank, the input's bounds with every element empty. Subscript error
    // without elements.
    StringArray RemoveSpaceNulls(const StringArray& InStrings) const;
};

}  // namespace torvane

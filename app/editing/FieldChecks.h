#pragma once
// Checks of what the user typed into the part editor, made before anything is written, so a
// commit either stores every field or none: a size or colour box must hold numbers only (a
// letter would silently read as 0 and the part would vanish), and a room must have a name.

#include <string>
#include <string_view>
#include <vector>

namespace mechanon {

// True when text, blanks aside, is one whole number as number text reads it: an optional sign,
// digits with an optional point, an optional E or D exponent, or &H / &O integers.
bool IsWholeNumber(std::string_view text);

// The largest magnitude a size, position, angle or camera coordinate may have: anything placed
// from numbers within it stays finite, in the view and in every exported file.
inline constexpr double kLargestMagnitude = 1e9;

// A box of numbers and the name its message gives it ("position").
struct TypedNumbers {
    std::string field;
    std::string text;
};

// What the user typed into the boxes one commit of the part editor reads.
struct TypedPart {
    std::string name;        // the room's name box
    bool namesRoom = false;  // the room itself is edited (not one of its subparts)
    std::string size;
    std::string color;
    // The other boxes of numbers the commit stores: placements, angles, camera, motor position.
    std::vector<TypedNumbers> numbers;
};

// The message refusing what was typed, naming the field; empty when it can be stored. A size or
// colour needs three pieces, each a number or blank (read as 0); an empty box is left to the
// editor's own message. A size or any of the other numbers beyond kLargestMagnitude is refused.
std::string UnusableFieldMessage(const TypedPart& typed);

}  // namespace mechanon

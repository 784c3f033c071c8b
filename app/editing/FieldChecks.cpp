#include "app/editing/FieldChecks.h"

#include <QRegularExpression>
#include <cmath>
#include <exception>
#include <vector>

#include "model/NumberText.h"

namespace mechanon {
namespace {

// A shape's size and colour take three numbers.
constexpr int kNumbersPerList = 3;

std::vector<std::string> CommaPieces(const std::string& text) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(',', start);
        pieces.push_back(text.substr(start, at == std::string::npos ? at : at - start));
        if (at == std::string::npos) return pieces;
        start = at + 1;
    }
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// The message for a size or colour box, or empty when it holds three numbers or more.
std::string ListMessage(const std::string& text, const std::string& field,
                        const std::string& keeps) {
    if (IsBlank(text)) return {};
    const std::vector<std::string> pieces = CommaPieces(text);
    // A blank piece ("3,,3") reads as 0, as the number lists of the model do.
    for (const std::string& piece : pieces)
        if (!IsBlank(piece) && !IsWholeNumber(piece))
            return "The " + field + " \"" + text + "\" cannot be used: \"" + piece +
                   "\" is not a number.  Enter three numbers separated by commas.  " + keeps;
    if (static_cast<int>(pieces.size()) < kNumbersPerList)
        return "The " + field + " \"" + text + "\" holds " + std::to_string(pieces.size()) +
               (pieces.size() == 1 ? " number" : " numbers") + "; a shape's " + field +
               " needs three, separated by commas.  " + keeps;
    return {};
}

// The message for a box holding a number beyond the largest magnitude, or empty. Each piece is
// read as the model reads it; one too large even for a double is beyond it too.
std::string MagnitudeMessage(const std::string& text, const std::string& field,
                             const std::string& keeps) {
    for (const std::string& piece : CommaPieces(text)) {
        bool within = false;
        try {
            within = std::fabs(torvane::NumberValue(piece)) <= kLargestMagnitude;
        } catch (const std::exception&) {
            within = false;
        }
        if (!within)
            return "The " + field + " \"" + text + "\" cannot be used: \"" +
                   torvane::TrimSpaces(piece) +
                   "\" is too large.  A size, position, angle or camera coordinate may be at "
                   "most " +
                   torvane::TrimmedNumberText(kLargestMagnitude) + " either way.  " + keeps;
    }
    return {};
}

}  // namespace

bool IsWholeNumber(std::string_view text) {
    static const QRegularExpression kNumber(
        R"(^[+-]?(\d+\.?\d*|\.\d+)([EeDd][+-]?\d+)?$|^&[Hh][0-9A-Fa-f]+$|^&[Oo][0-7]+$)");
    QString bare = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    bare.remove(QRegularExpression(R"([ \t\r\n])"));
    return kNumber.match(bare).hasMatch();
}

std::string UnusableFieldMessage(const TypedPart& typed) {
    const std::string keeps = "Nothing was changed.";
    if (typed.namesRoom && IsBlank(typed.name))
        return "A part room needs a name: the name box is empty.  " + keeps;
    if (std::string m = ListMessage(typed.size, "size", keeps); !m.empty()) return m;
    if (std::string m = ListMessage(typed.color, "color", keeps); !m.empty()) return m;
    if (std::string m = MagnitudeMessage(typed.size, "size", keeps); !m.empty()) return m;
    for (const TypedNumbers& numbers : typed.numbers)
        if (std::string m = MagnitudeMessage(numbers.text, numbers.field, keeps); !m.empty())
            return m;
    return {};
}

}  // namespace mechanon

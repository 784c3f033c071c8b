#include "toolpath/TextHelpers.h"

#include <vector>

namespace torvane {

StringArray SplitText(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    if (!text.empty()) {
        std::size_t start = 0;
        while (true) {
            const std::size_t at =
                delimiter.empty() ? std::string_view::npos : text.find(delimiter, start);
            if (at == std::string_view::npos) {
                pieces.emplace_back(text.substr(start));
                break;
            }
            pieces.emplace_back(text.substr(start, at - start));
            start = at + delimiter.size();
        }
    }
    return StringArray(0, std::move(pieces));
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
    if (find.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(find, start);
        if (at == std::string_view::npos) break;
        out.append(text, start, at - start);
        out.append(replacement);
        start = at + find.size();
    }
    out.append(text, start, std::string_view::npos);
    return out;
}

}  // namespace torvane

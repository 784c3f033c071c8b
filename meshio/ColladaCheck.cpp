#include "meshio/ColladaCheck.h"

#include <tinyxml2.h>

#include <charconv>
#include <cstdint>
#include <map>
#include <optional>

#include "meshio/MeshError.h"

namespace meshio {
namespace {

constexpr const char* kArrayElements[] = {"float_array", "int_array", "Name_array", "IDREF_array",
                                          "bool_array"};

// Elements that list primitives by index, with a count of them.
constexpr const char* kPrimitiveElements[] = {"triangles",  "polylist", "polygons", "lines",
                                              "linestrips", "trifans",  "tristrips"};

template <std::size_t N>
bool IsOneOf(const char* element, const char* const (&names)[N]) {
    for (const char* name : names)
        if (std::string_view(element) == name) return true;
    return false;
}

bool IsArray(const char* element) {
    return IsOneOf(element, kArrayElements);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The whitespace-separated words of an element's text.
std::uint64_t WordCount(const tinyxml2::XMLElement& element) {
    const char* text = element.GetText();
    std::uint64_t words = 0;
    for (bool inWord = false; text && *text; ++text) {
        const bool blank = IsBlank(*text);
        words += !blank && !inWord;
        inWord = !blank;
    }
    return words;
}

// Every word of the text is an index: a whole number that fits 32 bits.
bool AllIndices(const tinyxml2::XMLElement& element) {
    const char* text = element.GetText();
    if (!text) return true;
    const std::string_view all(text);
    for (std::size_t at = 0; at < all.size();) {
        if (IsBlank(all[at])) {
            ++at;
            continue;
        }
        std::uint32_t value = 0;
        const auto [end, error] = std::from_chars(all.data() + at, all.data() + all.size(), value);
        if (error != std::errc() || (end != all.data() + all.size() && !IsBlank(*end)))
            return false;
        at = static_cast<std::size_t>(end - all.data());
    }
    return true;
}

// A count-like attribute: absent gives fallback, anything but a whole number nullopt.
std::optional<std::uint64_t> Count(const tinyxml2::XMLElement& element, const char* attribute,
                                   std::uint64_t fallback) {
    const char* text = element.Attribute(attribute);
    if (!text) return fallback;
    const std::string_view digits(text);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// Every element below root in document order, depth first.
template <typename Visit>
void ForEachElement(const tinyxml2::XMLElement& root, Visit visit) {
    for (const tinyxml2::XMLElement* child = root.FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        visit(*child);
        ForEachElement(*child, visit);
    }
}

class ColladaChecker {
  public:
    explicit ColladaChecker(const std::string& name) : name_(name) {}

    void Check(const tinyxml2::XMLElement& root) {
        ForEachElement(root, [this](const tinyxml2::XMLElement& e) { NoteArray(e); });
        ForEachElement(root, [this](const tinyxml2::XMLElement& e) {
            if (std::string_view(e.Name()) == "accessor") CheckAccessor(e);
            if (IsOneOf(e.Name(), kPrimitiveElements)) CheckPrimitives(e);
        });
    }

  private:
    void NoteArray(const tinyxml2::XMLElement& element) {
        if (!IsArray(element.Name())) return;
        const auto count = Count(element, "count", 0);
        if (!count) Fail(element, "its count is not a whole number");
        // The importer makes room for the count before it reads the values.
        if (*count > WordCount(element)) Fail(element, "it holds fewer values than its count");
        if (const char* id = element.Attribute("id")) arrays_[id] = *count;
    }

    // The importer makes room for the count of primitives before it reads their indices, and
    // reads every index list as numbers: a count the lists cannot hold or a word that is no
    // index is refused.
    void CheckPrimitives(const tinyxml2::XMLElement& primitives) {
        const auto count = Count(primitives, "count", 0);
        if (!count) Fail(primitives, "its count is not a whole number");
        std::uint64_t room = 0;
        for (const auto* list = primitives.FirstChildElement(); list;
             list = list->NextSiblingElement()) {
            const std::string_view name = list->Name();
            if (name != "p" && name != "vcount" && name != "v" && name != "ph") continue;
            if (name != "ph" && !AllIndices(*list))
                Fail(*list, "it holds a word that is not an index");
            room += WordCount(*list) + 1;
        }
        if (*count > room) Fail(primitives, "it counts more primitives than it lists");
    }

    void CheckAccessor(const tinyxml2::XMLElement& accessor) {
        const auto count = Count(accessor, "count", 0);
        const auto stride = Count(accessor, "stride", 1);
        const auto offset = Count(accessor, "offset", 0);
        if (!count || !stride || !offset)
            Fail(accessor, "its count, stride or offset is not a whole number");
        std::uint64_t params = 0;
        for (const auto* p = accessor.FirstChildElement("param"); p;
             p = p->NextSiblingElement("param"))
            ++params;
        if (params > *stride) Fail(accessor, "it has more parameters than its stride");
        const char* source = accessor.Attribute("source");
        if (!source || source[0] != '#') return;  // the importer refuses what it cannot find
        const auto array = arrays_.find(source + 1);
        if (array == arrays_.end()) return;
        // Limits far below overflow: a larger count is no real file.
        constexpr std::uint64_t kLimit = std::uint64_t{1} << 40;
        if (*count > kLimit || *stride > kLimit || *offset > kLimit ||
            *count * *stride + *offset > array->second)
            Fail(accessor, "it reads past the end of the array \"" + array->first + "\"");
    }

    [[noreturn]] void Fail(const tinyxml2::XMLElement& element, const std::string& why) const {
        throw MeshError(name_ + ": the <" + element.Name() + "> at line " +
                        std::to_string(element.GetLineNum()) + " cannot be read: " + why);
    }

    const std::string& name_;
    std::map<std::string, std::uint64_t, std::less<>> arrays_;
};

}  // namespace

void CheckCollada(std::string_view text, const std::string& name) {
    tinyxml2::XMLDocument document;
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
        throw MeshError(name + ": not a well-formed Collada file (" +
                        std::string(document.ErrorStr()) + ")");
    if (const tinyxml2::XMLElement* root = document.RootElement())
        ColladaChecker(name).Check(*root);
}

}  // namespace meshio

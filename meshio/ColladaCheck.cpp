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

bool IsArray(const char* element) {
    for (const char* array : kArrayElements)
        if (std::string_view(element) == array) return true;
    return false;
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
        });
    }

  private:
    void NoteArray(const tinyxml2::XMLElement& element) {
        if (!IsArray(element.Name())) return;
        const auto count = Count(element, "count", 0);
        if (!count) Fail(element, "its count is not a whole number");
        if (const char* id = element.Attribute("id")) arrays_[id] = *count;
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

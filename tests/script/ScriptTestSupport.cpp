#include "ScriptTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "script/Coerce.h"

namespace vbs::test {

std::string Describe(const Value& v) {
    if (v.IsNull()) return "Null";
    if (v.IsEmpty()) return "Empty";
    if (v.IsArray()) return "Variant()";
    return std::string(v.TypeName()) + ":" + v.ToString();
}

std::string EvalDescribed(Engine& engine, std::string_view expression) {
    try {
        return Describe(engine.Eval(expression));
    } catch (const ScriptError& e) {
        return "error " + std::to_string(e.Number());
    }
}

std::string HostNumberText(double v) {
    std::string s = FormatFloat(v, 15);
    const bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    if (s.size() > 1 && s[0] == '0' && s[1] == '.') s.erase(0, 1);
    return (negative ? "-" : " ") + s;
}

std::vector<std::string> ScriptFiles() {
    std::vector<std::string> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(MECHANON_TEST_DATA) + "/scripts")) {
        if (entry.path().extension() == ".vbs") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace vbs::test

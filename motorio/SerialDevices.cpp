#include "motorio/SerialDevices.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace torvane {
namespace {

namespace fs = std::filesystem;

bool IsCharacterDevice(const fs::path& path) {
    std::error_code ec;
    return fs::is_character_file(path, ec);  // follows the by-id links to their devices
}

void Collect(const fs::path& folder, const std::vector<std::string_view>& prefixes,
             std::vector<std::string>& out) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const bool named = prefixes.empty() ||
                           std::any_of(prefixes.begin(), prefixes.end(), [&](std::string_view p) {
                               return name.size() > p.size() && name.compare(0, p.size(), p) == 0;
                           });
        if (named && IsCharacterDevice(it->path())) out.push_back(it->path().string());
    }
}

}  // namespace

std::vector<std::string> SerialDevices(const std::string& DevRoot) {
    std::vector<std::string> out;
    Collect(DevRoot, {"ttyS", "ttyUSB", "ttyACM"}, out);
    Collect(fs::path(DevRoot) / "serial" / "by-id", {}, out);
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace torvane

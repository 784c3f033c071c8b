#include "tests/export/ExportTestSupport.h"

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "model/clsRooms.h"

namespace mechanon::testing {
namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::random_device seed;
    path_ = fs::temp_directory_path() / ("mechanon-export-" + std::to_string(seed()));
    fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::vector<std::string> ScratchFolder::Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(path_))
        names.push_back(fs::relative(entry.path(), path_).string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

std::string ShellWord(const std::string& word) {
    std::string quoted = "'";
    for (const char ch : word) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return quoted + "'";
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args) {
    const ScratchFolder capture;
    std::string command = ShellWord(MECHANON_CLI);
    for (const std::string& arg : args) command += " " + ShellWord(arg);
    command += " >" + ShellWord((capture / "out").string()) + " 2>" +
               ShellWord((capture / "err").string());
    const int raw = std::system(command.c_str());
    CliResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadFile(capture / "out");
    result.err = ReadFile(capture / "err");
    return result;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void SaveRobot(const torvane::typWrapRooms& robot, const fs::path& path) {
    torvane::clsRooms rooms;
    rooms.ReplaceAllData(robot);
    rooms.Save(path.string());
}

Poses ParsePoses(const std::string& text) {
    Poses poses;
    std::istringstream lines(text);
    std::string kind, name;
    while (lines >> kind >> name) {
        if (kind == "joint") {
            lines >> poses.joints[name];
        } else {
            std::array<double, 16> m{};
            for (double& v : m) lines >> v;
            poses.links.emplace_back(name, m);
        }
    }
    return poses;
}

std::string PositionList(const std::vector<double>& values) {
    std::ostringstream text;
    text.precision(17);
    for (std::size_t i = 0; i < values.size(); ++i) text << (i ? "," : "") << values[i];
    return text.str();
}

bool SameTriangle(const MeshTriangle& a, const MeshTriangle& b, double tolerance) {
    const auto near = [tolerance](const torvane::typ3Point& p, const torvane::typ3Point& q) {
        const auto close = [tolerance](double x, double y) {
            return std::fabs(x - y) <= tolerance * std::max(1.0, std::fabs(x));
        };
        return close(p.X, q.X) && close(p.Y, q.Y) && close(p.Z, q.Z);
    };
    std::array<int, 3> order{0, 1, 2};
    do {
        if (near(a[0], b[static_cast<std::size_t>(order[0])]) &&
            near(a[1], b[static_cast<std::size_t>(order[1])]) &&
            near(a[2], b[static_cast<std::size_t>(order[2])]))
            return true;
    } while (std::next_permutation(order.begin(), order.end()));
    return false;
}

}  // namespace mechanon::testing

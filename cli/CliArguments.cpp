#include "cli/CliArguments.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace mechanon::cli {

std::optional<double> ParseNumber(const std::string& text) {
    double value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::string> CliArguments::Option(const std::string& name) const {
    const auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
}

std::string CliArguments::Required(const std::string& name) const {
    const auto value = Option(name);
    if (!value) throw UsageError(command + " needs " + name);
    return *value;
}

bool CliArguments::Flag(const std::string& name) const {
    return options.contains(name);
}

double CliArguments::Number(const std::string& name, double fallback) const {
    const auto text = Option(name);
    if (!text) return fallback;
    const auto value = ParseNumber(*text);
    if (!value) throw UsageError(name + " takes a number, not \"" + *text + "\"");
    return *value;
}

std::vector<double> CliArguments::Positions() const {
    std::vector<double> values;
    const auto text = Option("--positions");
    if (!text || text->empty()) return values;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text->find(',', start);
        const std::string item =
            text->substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const auto value = ParseNumber(item);
        if (!value)
            throw UsageError("--positions takes numbers separated by commas, not \"" + item + "\"");
        values.push_back(*value);
        if (comma == std::string::npos) return values;
        start = comma + 1;
    }
}

std::vector<std::pair<std::string, double>> CliArguments::Joints() const {
    std::vector<std::pair<std::string, double>> joints;
    const auto text = Option("--joints");
    if (!text || text->empty()) return joints;
    std::size_t start = 0;
    while (start <= text->size()) {
        const std::size_t comma = std::min(text->find(',', start), text->size());
        const std::string item = text->substr(start, comma - start);
        const std::size_t equals = item.rfind('=');
        const auto value =
            equals == std::string::npos ? std::nullopt : ParseNumber(item.substr(equals + 1));
        if (!value || equals == 0)
            throw UsageError("--joints takes NAME=VALUE pairs separated by commas, not \"" + item +
                             "\"");
        joints.emplace_back(item.substr(0, equals), *value);
        start = comma + 1;
    }
    return joints;
}

CliArguments ParseArguments(const std::vector<std::string>& args,
                            const std::vector<std::string>& allowedOptions) {
    CliArguments parsed;
    if (args.empty()) throw UsageError("no command given");
    parsed.command = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() > 1 && arg[0] == '-') {
            if (std::find(allowedOptions.begin(), allowedOptions.end(), arg) ==
                allowedOptions.end())
                throw UsageError(parsed.command + " has no option " + arg);
            if (std::find(kFlagOptions.begin(), kFlagOptions.end(), arg) != kFlagOptions.end()) {
                parsed.options[arg] = "";
                continue;
            }
            if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
            parsed.options[arg] = args[++i];
            parsed.repeated[arg].push_back(args[i]);
        } else if (parsed.input.empty()) {
            parsed.input = arg;
        } else {
            throw UsageError(parsed.command + " takes one file, not also \"" + arg + "\"");
        }
    }
    if (parsed.input.empty()) throw UsageError(parsed.command + " needs a file");
    return parsed;
}

}  // namespace mechanon::cli

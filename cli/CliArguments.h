#pragma once
// The command line of mechanon-cli: a command, one input file and options. A usage error is a
// UsageError (exit status 2); everything about the input itself is a torvane::Error (status 1).

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace mechanon::cli {

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct CliArguments {
    std::string command;
    std::string input;
    std::map<std::string, std::string> options;  // "--room" -> "Arm", "-o" -> "out"
    // Every value of an option given more than once, in order ("--package-path").
    std::map<std::string, std::vector<std::string>> repeated;

    std::optional<std::string> Option(const std::string& name) const;
    std::string Required(const std::string& name) const;
    // True when the option that takes no value (one of kFlagOptions) was given.
    bool Flag(const std::string& name) const;
    // A number option, or fallback when it is not given; text that is not one number is a
    // usage error.
    double Number(const std::string& name, double fallback) const;
    // The comma-separated numbers of --positions, none when it is not given.
    std::vector<double> Positions() const;
    // The NAME=VALUE pairs of --joints in order, none when it is not given.
    std::vector<std::pair<std::string, double>> Joints() const;
};

// The options that stand alone, taking no value.
inline const std::vector<std::string> kFlagOptions{"--simulate", "--json"};

// Reads argv[1..]: the command, then options (each of allowedOptions takes a value, but those of
// kFlagOptions) and exactly one file. "--help" and "--version" are commands of their own.
CliArguments ParseArguments(const std::vector<std::string>& args,
                            const std::vector<std::string>& allowedOptions);

// The number that the whole of text spells (period decimal separator in every locale).
std::optional<double> ParseNumber(const std::string& text);

}  // namespace mechanon::cli

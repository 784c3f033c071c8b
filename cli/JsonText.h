#pragma once
// The documents mechanon-cli writes with --json. Keys keep the order they were added in; text is
// UTF-8 with every quote, backslash and control character escaped (a byte that is not UTF-8
// becomes U+FFFD); numbers are written so they read back as the same double in any locale, and
// a value that is not finite (NaN, infinity) becomes null.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "export/UrdfRobot.h"

namespace mechanon::cli {

using Json = nlohmann::ordered_json;

// The whole document on one line, ending in a line break.
std::string JsonText(const Json& document);

// The moving joints of robot: name, type ("revolute", "continuous", "prismatic") and value
// (radians or metres), as poses and ik print them. Like the text, these refuse a robot whose
// placement is not finite (an overflow error) rather than write null.
Json JointsJson(const UrdfRobot& robot);

// The links of robot with their parents (null for the first) and world frames: the 4 by 4 matrix
// row by row, translations in metres.
Json LinksJson(const UrdfRobot& robot);

}  // namespace mechanon::cli

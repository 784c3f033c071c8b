#include "cli/JsonText.h"

namespace mechanon::cli {

std::string JsonText(const Json& document) {
    return document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

Json JointsJson(const UrdfRobot& robot) {
    Json joints = Json::array();
    for (const UrdfLink& link : robot.Links)
        if (link.JointType != "fixed")
            joints.push_back(
                {{"name", link.JointName}, {"type", link.JointType}, {"value", link.JointValue}});
    return joints;
}

Json LinksJson(const UrdfRobot& robot) {
    Json links = Json::array();
    const auto add = [&links](const std::string& name, const Json& parent,
                              const torvane::typFrame& frame) {
        links.push_back({{"name", name}, {"parent", parent}, {"frame", frame.M}});
    };
    if (robot.WorldLink) add(kWorldLink, nullptr, torvane::typFrame{});
    for (const UrdfLink& link : robot.Links) {
        const bool hasParent =
            link.Parent >= 0 && static_cast<std::size_t>(link.Parent) < robot.Links.size();
        const Json parent = hasParent
                                ? Json(robot.Links[static_cast<std::size_t>(link.Parent)].Name)
                            : robot.WorldLink ? Json(kWorldLink)
                                              : Json(nullptr);
        add(link.Name, parent, link.WorldFromLink);
    }
    return links;
}

}  // namespace mechanon::cli

#include "cli/JsonText.h"

#include "export/FiniteOutput.h"

namespace mechanon::cli {

std::string JsonText(const Json& document) {
    return document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

Json JointsJson(const UrdfRobot& robot) {
    Json joints = Json::array();
    for (const UrdfLink& link : robot.Links)
        if (link.JointType != "fixed")
            joints.push_back({{"name", link.JointName},
                              {"type", link.JointType},
                              {"value", Writable(link.JointValue, false, "a joint value")}});
    return joints;
}

Json LinksJson(const UrdfRobot& robot) {
    Json links = Json::array();
    const auto add = [&links](const std::string& name, const Json& parent,
                              const torvane::typFrame& frame) {
        Json numbers = Json::array();
        for (const double v : frame.M) numbers.push_back(Writable(v, false, "a link's frame"));
        links.push_back({{"name", name}, {"parent", parent}, {"frame", numbers}});
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

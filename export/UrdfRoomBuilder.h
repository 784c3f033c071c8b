#pragma once
// The part rooms of an imported URDF robot while they are made: one room per link (its visuals
// as its own shape or as rooms of their own), subparts placed by frames, names made unique as
// the robot file needs them, mesh files found on the search path, and the warnings gathered.

#include <urdf_model/model.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "export/UrdfImport.h"
#include "model/Frame.h"
#include "model/JointNotes.h"
#include "model/Records.h"

namespace mechanon {

// A URDF pose as a frame in model units (its translation divided by unit).
torvane::typFrame FrameOf(const urdf::Pose& pose, double unit);

class UrdfRoomBuilder {
  public:
    UrdfRoomBuilder(const urdf::ModelInterface& model, const std::filesystem::path& urdfFile,
                    const UrdfImportOptions& options);

    // The room of link, placed turned by alignment (see JointAxisFrame.h), with its motor and
    // notes; its visuals placed in it. Returns the room's name.
    std::string AddLink(const urdf::Link& link, const torvane::typFrame& alignment,
                        std::optional<torvane::typJointNote> joint, torvane::MotorKind motor,
                        std::int16_t dimension);
    // childRoom used in parentRoom at slot (model units).
    void AttachChild(const std::string& parentRoom, const std::string& childRoom,
                     const torvane::typFrame& slot);
    torvane::typWrapRooms Rooms() const;
    std::vector<std::string>& Warnings() { return warnings_; }

  private:
    struct Room {
        torvane::typWrapRoom data;
        std::vector<torvane::typSubPartData> subparts;
    };
    std::string FreeRoomName(const std::string& wanted);
    void AddVisualRoom(const std::string& linkRoom, const urdf::Link& link,
                       const urdf::Visual& visual, const torvane::typFrame& slot, int count);
    void SetShape(torvane::typPartData& part, const urdf::Visual& visual);
    std::string MeshShape(const std::string& uri);
    std::optional<std::filesystem::path> PackageFile(const std::string& package,
                                                     const std::string& rest) const;
    void Warn(const std::string& text);

    const urdf::ModelInterface& model_;
    std::filesystem::path folder_;
    const UrdfImportOptions& options_;
    std::vector<Room> rooms_;
    std::map<std::string, std::size_t> index_;
    std::set<std::string> warned_;
    std::vector<std::string> warnings_;
};

}  // namespace mechanon

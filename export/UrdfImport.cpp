#include "export/UrdfImport.h"

#include <console_bridge/console.h>
#include <urdf_parser/urdf_parser.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "export/JointAxisFrame.h"
#include "export/UrdfChecks.h"
#include "export/UrdfRoomBuilder.h"
#include "model/Error.h"
#include "model/JointNotes.h"
#include "model/RobotFile.h"
#include "model/clsRooms.h"

namespace mechanon {
namespace {

namespace fs = std::filesystem;
using torvane::typ3Point;
using torvane::typFrame;

// The parser's own complaints, kept for the message while it runs instead of going to the
// terminal.
class ParserMessages final : public console_bridge::OutputHandler {
  public:
    ParserMessages() { console_bridge::useOutputHandler(this); }
    ~ParserMessages() override { console_bridge::restorePreviousOutputHandler(); }
    ParserMessages(const ParserMessages&) = delete;
    ParserMessages& operator=(const ParserMessages&) = delete;
    void log(const std::string& text, console_bridge::LogLevel level, const char*, int) override {
        if (level >= console_bridge::CONSOLE_BRIDGE_LOG_ERROR) last_ = text;
    }
    const std::string& Last() const { return last_; }

  private:
    std::string last_;
};

std::string ReadUrdfText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        torvane::Raise(torvane::ErrorCode::FileError,
                       "The URDF file \"" + file.string() + "\" cannot be opened.");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        torvane::Raise(torvane::ErrorCode::FileError,
                       "The URDF file \"" + file.string() + "\" cannot be read.");
    return text.str();
}

bool IsXacro(const fs::path& file, const std::string& text) {
    std::string extension = file.extension().string();
    for (char& ch : extension) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (extension == ".xacro") return true;
    // Leftover xacro calls in an expanded file are harmless; definitions mean it never was.
    for (const char* definition : {"<xacro:macro", "<xacro:include", "<xacro:property"})
        if (text.find(definition) != std::string::npos) return true;
    return false;
}

struct JointMotion {
    torvane::MotorKind motor = torvane::MotorKind::None;
    std::int16_t dimension = 0;
    typFrame alignment;  // A: the room's frame is the link's frame times A
};

JointMotion MotionOf(const urdf::Joint& joint) {
    JointMotion motion;
    const bool rotational =
        joint.type == urdf::Joint::REVOLUTE || joint.type == urdf::Joint::CONTINUOUS;
    if (!rotational && joint.type != urdf::Joint::PRISMATIC) return motion;
    const double length = std::sqrt(joint.axis.x * joint.axis.x + joint.axis.y * joint.axis.y +
                                    joint.axis.z * joint.axis.z);
    if (!(length > 0) || !std::isfinite(length))
        torvane::Raise(torvane::ErrorCode::FileFormat,
                       "joint \"" + joint.name + "\" has no usable axis (it is zero)");
    const typ3Point a{joint.axis.x / length, joint.axis.y / length, joint.axis.z / length};
    motion.motor = rotational ? torvane::MotorKind::Rotational : torvane::MotorKind::Linear;
    const MotorChoice choice = NearestMotor(motion.motor, a);
    motion.dimension = choice.Dimension;
    motion.alignment = Alignment(choice.Axis, a);
    return motion;
}

const char* TypeName(const urdf::Joint& joint) {
    switch (joint.type) {
        case urdf::Joint::REVOLUTE:
            return "revolute";
        case urdf::Joint::CONTINUOUS:
            return "continuous";
        case urdf::Joint::PRISMATIC:
            return "prismatic";
        default:
            return "fixed";
    }
}

torvane::typJointNote NoteOf(const urdf::Joint& joint, const urdf::ModelInterface& model,
                             const UrdfOutline& outline, double unit,
                             std::vector<std::string>& warnings) {
    torvane::typJointNote note;
    note.Name = joint.name;
    note.Type = TypeName(joint);
    if (joint.type == urdf::Joint::PLANAR || joint.type == urdf::Joint::FLOATING)
        warnings.push_back("joint \"" + joint.name + "\" is " +
                           (joint.type == urdf::Joint::PLANAR ? "planar" : "floating") +
                           "; it is imported as fixed");
    const bool moves = note.Type != "fixed";
    if (moves) {
        const double length = std::sqrt(joint.axis.x * joint.axis.x + joint.axis.y * joint.axis.y +
                                        joint.axis.z * joint.axis.z);
        note.Axis = typ3Point{joint.axis.x / length, joint.axis.y / length, joint.axis.z / length};
        note.Unit = unit;
    }
    if (moves && joint.limits) {
        if (joint.type != urdf::Joint::CONTINUOUS) {
            if (!outline.NoLower.count(joint.name)) note.Lower = joint.limits->lower;
            if (!outline.NoUpper.count(joint.name)) note.Upper = joint.limits->upper;
        }
        note.Velocity = joint.limits->velocity;
        note.Effort = joint.limits->effort;
    }
    if (moves && joint.mimic) {
        const auto leader = model.getJoint(joint.mimic->joint_name);
        if (!leader || leader->name == joint.name || leader->type == urdf::Joint::FIXED ||
            leader->type == urdf::Joint::PLANAR || leader->type == urdf::Joint::FLOATING)
            warnings.push_back("joint \"" + joint.name + "\" mimics \"" + joint.mimic->joint_name +
                               "\", which is not a moving joint; it moves on its own");
        else {
            note.Mimic = joint.mimic->joint_name;
            note.Multiplier = joint.mimic->multiplier;
            note.Offset = joint.mimic->offset;
        }
    }
    return note;
}

void AddTree(UrdfRoomBuilder& builder, const urdf::ModelInterface& model, const urdf::Link& link,
             const std::string& room, const typFrame& alignment, const UrdfOutline& outline,
             double unit) {
    // Children in the order their joints stand in the file.
    std::vector<urdf::LinkSharedPtr> children = link.child_links;
    const auto position = [&outline](const urdf::Link& child) {
        const std::string& joint = child.parent_joint ? child.parent_joint->name : "";
        return std::find(outline.JointOrder.begin(), outline.JointOrder.end(), joint) -
               outline.JointOrder.begin();
    };
    std::stable_sort(children.begin(), children.end(),
                     [&](const auto& a, const auto& b) { return position(*a) < position(*b); });
    for (const urdf::LinkSharedPtr& child : children) {
        const urdf::Joint& joint = *child->parent_joint;
        const JointMotion motion = MotionOf(joint);
        const std::string childRoom = builder.AddLink(
            *child, motion.alignment, NoteOf(joint, model, outline, unit, builder.Warnings()),
            motion.motor, motion.dimension);
        const typFrame slot = alignment.RigidInverse() *
                              FrameOf(joint.parent_to_joint_origin_transform, unit) *
                              motion.alignment;
        builder.AttachChild(room, childRoom, slot);
        AddTree(builder, model, *child, childRoom, motion.alignment, outline, unit);
    }
}

}  // namespace

std::vector<fs::path> RosPackagePath() {
    std::vector<fs::path> folders;
    const char* value = std::getenv("ROS_PACKAGE_PATH");
    if (!value) return folders;
    std::string text = value;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t colon = std::min(text.find(':', at), text.size());
        if (colon > at) folders.emplace_back(text.substr(at, colon - at));
        at = colon + 1;
    }
    return folders;
}

UrdfImportResult ImportUrdf(const fs::path& urdfFile, const UrdfImportOptions& options) {
    const double unit = options.MetresPerUnit;
    if (!(unit > 0) || !std::isfinite(unit))
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "The unit must be a positive number of metres per model unit.");
    const std::string text = ReadUrdfText(urdfFile);
    const std::string fileName = urdfFile.string();
    if (IsXacro(urdfFile, text))
        torvane::Raise(torvane::ErrorCode::FileFormat,
                       fileName +
                           " is a xacro file: expand it first with xacro, then import the "
                           "URDF it gives.");
    UrdfOutline outline = CheckUrdfText(text, fileName);
    urdf::ModelInterfaceSharedPtr model;
    {
        const ParserMessages messages;
        model = urdf::parseURDF(text);
        if (!model)
            torvane::Raise(torvane::ErrorCode::FileFormat,
                           fileName + ": the URDF cannot be read: " +
                               (messages.Last().empty() ? "no reason given" : messages.Last()));
    }
    UrdfRoomBuilder builder(*model, urdfFile, options);
    builder.Warnings() = std::move(outline.Warnings);
    // The collection builds the motor mask tables and refuses what it could not hold.
    torvane::clsRooms rooms;
    std::string rootRoom;
    try {
        const urdf::Link& root = *model->getRoot();
        rootRoom = builder.AddLink(root, typFrame{}, std::nullopt, torvane::MotorKind::None, 0);
        AddTree(builder, *model, root, rootRoom, typFrame{}, outline, unit);
        rooms.ReplaceAllData(builder.Rooms());
    } catch (const torvane::Error& e) {
        torvane::Raise(e.Code(), fileName + ": " + e.what());
    }
    UrdfImportResult result;
    result.Rooms = rooms.AllData();
    // What cannot be saved is refused now, not at the first Save.
    try {
        (void)torvane::EncodeRobot(result.Rooms);
    } catch (const torvane::Error& e) {
        torvane::Raise(e.Code(),
                       fileName + ": the robot cannot be held in a robot file: " + e.what());
    }
    result.RobotRoom = rootRoom;
    result.Warnings = std::move(builder.Warnings());
    return result;
}

}  // namespace mechanon

#include "export/UrdfImport.h"

#include <console_bridge/console.h>
#include <urdf_parser/urdf_parser.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "export/JointAxisFrame.h"
#include "export/MeshFolder.h"
#include "export/UrdfChecks.h"
#include "model/Codepage.h"
#include "model/Error.h"
#include "model/JointNotes.h"
#include "model/TextCompare.h"
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

typFrame FrameOf(const urdf::Pose& pose, double unit) {
    const urdf::Rotation& q = pose.rotation;
    const double x = q.x, y = q.y, z = q.z, w = q.w;
    typFrame f;
    f.M = {1 - 2 * (y * y + z * z),
           2 * (x * y - z * w),
           2 * (x * z + y * w),
           0,
           2 * (x * y + z * w),
           1 - 2 * (x * x + z * z),
           2 * (y * z - x * w),
           0,
           2 * (x * z - y * w),
           2 * (y * z + x * w),
           1 - 2 * (x * x + y * y),
           0,
           0,
           0,
           0,
           1};
    f(0, 3) = pose.position.x / unit;
    f(1, 3) = pose.position.y / unit;
    f(2, 3) = pose.position.z / unit;
    return f;
}

torvane::DoubleArray Triple(double a, double b, double c) {
    return torvane::DoubleArray(1, {a, b, c});
}

// The rooms in the making, with the names already given.
class RobotBuilder {
  public:
    RobotBuilder(const urdf::ModelInterface& model, const fs::path& urdfFile,
                 const UrdfImportOptions& options)
        : model_(model), folder_(fs::absolute(urdfFile).parent_path()), options_(options) {}

    std::string AddLink(const urdf::Link& link, const typFrame& alignment,
                        std::optional<torvane::typJointNote> joint, torvane::MotorKind motor,
                        std::int16_t dimension);
    void AttachChild(const std::string& parentRoom, const std::string& childRoom,
                     const typFrame& slot);
    torvane::typWrapRooms Rooms() const;
    std::vector<std::string>& Warnings() { return warnings_; }

  private:
    struct Room {
        torvane::typWrapRoom data;
        std::vector<torvane::typSubPartData> subparts;
    };
    std::string FreeRoomName(const std::string& wanted);
    void SetShape(torvane::typPartData& part, const urdf::Visual& visual);
    std::string MeshShape(const std::string& uri);
    std::optional<fs::path> PackageFile(const std::string& package, const std::string& rest) const;
    void Warn(const std::string& text);

    const urdf::ModelInterface& model_;
    fs::path folder_;
    const UrdfImportOptions& options_;
    std::vector<Room> rooms_;
    std::map<std::string, std::size_t> index_;
    std::set<std::string> warned_;
    std::vector<std::string> warnings_;
};

torvane::typPartData BarePart(const std::string& name) {
    torvane::typPartData part;
    part.Name = name;
    part.ShapeName = "";
    part.Size = Triple(1, 1, 1);
    part.ShapeColor = Triple(50, 50, 50);
    part.JointAngles = Triple(0, 0, 0);
    part.Camera = torvane::typCamera{-40, -40, 30, 0, 0, 0};
    return part;
}

std::string RobotBuilder::FreeRoomName(const std::string& wanted) {
    // The name as it comes back from the robot file's code page.
    const std::string base = torvane::CodepageToUtf8(torvane::Utf8ToCodepage(wanted));
    std::string name = base.empty() ? "link" : base;
    for (int n = 2; index_.count(name); ++n) name = base + "_" + std::to_string(n);
    return name;
}

void RobotBuilder::Warn(const std::string& text) {
    if (warned_.insert(text).second) warnings_.push_back(text);
}

std::optional<fs::path> RobotBuilder::PackageFile(const std::string& package,
                                                  const std::string& rest) const {
    std::vector<fs::path> search = options_.PackagePath;
    for (const fs::path& p : RosPackagePath()) search.push_back(p);
    for (const fs::path& root : search) {
        const fs::path candidate = fs::absolute(root / package / rest).lexically_normal();
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return std::nullopt;
}

std::string RobotBuilder::MeshShape(const std::string& uri) {
    const std::string package = "package://", file = "file://";
    fs::path path;
    if (uri.rfind(package, 0) == 0) {
        const std::string rest = uri.substr(package.size());
        const auto slash = rest.find('/');
        const auto found = slash == std::string::npos
                               ? std::nullopt
                               : PackageFile(rest.substr(0, slash), rest.substr(slash + 1));
        if (!found) {
            Warn("The mesh \"" + uri +
                 "\" was not found on the package search path; it is shown as a marker.");
            return kMeshShapePrefix + uri;
        }
        path = *found;
    } else {
        path = uri.rfind(file, 0) == 0 ? fs::path(uri.substr(file.size())) : fs::path(uri);
        if (path.is_relative()) path = folder_ / path;
        path = path.lexically_normal();
    }
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        Warn("The mesh file \"" + path.string() + "\" was not found; it is shown as a marker.");
    return kMeshShapePrefix + path.generic_string();
}

void RobotBuilder::SetShape(torvane::typPartData& part, const urdf::Visual& visual) {
    const double unit = options_.MetresPerUnit;
    const urdf::Geometry* g = visual.geometry.get();
    if (!g) return;
    switch (g->type) {
        case urdf::Geometry::BOX: {
            const auto& box = static_cast<const urdf::Box&>(*g);
            part.ShapeName = "box";
            part.Size = Triple(box.dim.x / unit, box.dim.y / unit, box.dim.z / unit);
            break;
        }
        case urdf::Geometry::CYLINDER: {
            const auto& c = static_cast<const urdf::Cylinder&>(*g);
            part.ShapeName = "cylinder";
            part.Size = Triple(2 * c.radius / unit, 2 * c.radius / unit, c.length / unit);
            break;
        }
        case urdf::Geometry::SPHERE: {
            const double d = 2 * static_cast<const urdf::Sphere&>(*g).radius / unit;
            part.ShapeName = "sphere";
            part.Size = Triple(d, d, d);
            break;
        }
        case urdf::Geometry::MESH: {
            const auto& mesh = static_cast<const urdf::Mesh&>(*g);
            part.ShapeName = MeshShape(mesh.filename);
            part.Size = Triple(mesh.scale.x / unit, mesh.scale.y / unit, mesh.scale.z / unit);
            break;
        }
    }
    urdf::MaterialSharedPtr material = visual.material;
    if (!material && !visual.material_name.empty())
        material = model_.getMaterial(visual.material_name);
    if (material)
        part.ShapeColor =
            Triple(material->color.r * 100.0, material->color.g * 100.0, material->color.b * 100.0);
}

std::string RobotBuilder::AddLink(const urdf::Link& link, const typFrame& alignment,
                                  std::optional<torvane::typJointNote> joint,
                                  torvane::MotorKind motor, std::int16_t dimension) {
    const std::string name = FreeRoomName(link.name);
    torvane::typJointNotes notes;
    notes.Joint = std::move(joint);
    if (name != link.name) notes.LinkName = link.name;
    Room room;
    room.data.Part = BarePart(name);
    room.data.Part.MotorType = torvane::MotorTypeOf(motor);
    room.data.Part.MotorDimension = dimension;
    room.data.Part.BlankXML = torvane::WithJointNotes("", notes);
    index_[name] = rooms_.size();
    rooms_.push_back(std::move(room));

    const typFrame roomFromLink = alignment.RigidInverse();
    bool ownShapeTaken = false;
    int count = 0;
    for (const urdf::VisualSharedPtr& visual : link.visual_array) {
        if (!visual) continue;
        ++count;
        const typFrame slot = roomFromLink * FrameOf(visual->origin, options_.MetresPerUnit);
        if (!ownShapeTaken && slot.M == typFrame{}.M) {
            SetShape(rooms_[index_[name]].data.Part, *visual);
            ownShapeTaken = true;
            continue;
        }
        const std::string visualName = FreeRoomName(name + "_visual_" + std::to_string(count));
        Room visualRoom;
        visualRoom.data.Part = BarePart(visualName);
        torvane::typJointNotes visualNotes;
        visualNotes.VisualOf = link.name;
        visualRoom.data.Part.BlankXML = torvane::WithJointNotes("", visualNotes);
        SetShape(visualRoom.data.Part, *visual);
        index_[visualName] = rooms_.size();
        rooms_.push_back(std::move(visualRoom));
        AttachChild(name, visualName, slot);
    }
    return name;
}

void RobotBuilder::AttachChild(const std::string& parentRoom, const std::string& childRoom,
                               const typFrame& slot) {
    auto& subparts = rooms_[index_.at(parentRoom)].subparts;
    // Subpart names of one room differ in more than letter case.
    std::string name = childRoom;
    const auto taken = [&subparts](const std::string& n) {
        return std::any_of(subparts.begin(), subparts.end(), [&n](const auto& s) {
            return torvane::SameTextIgnoringCase(s.Name, n);
        });
    };
    for (int n = 2; taken(name); ++n) name = childRoom + "_" + std::to_string(n);
    const Placement p = PlacementOf(slot);
    torvane::typSubPartData sub;
    sub.Name = name;
    sub.SavePartName = childRoom;
    sub.RelativePosition = p.Position;
    sub.RelativeAttitude = p.Attitude;
    sub.JointAngles = Triple(0, 0, 0);
    subparts.push_back(std::move(sub));
}

torvane::typWrapRooms RobotBuilder::Rooms() const {
    torvane::typWrapRooms out;
    std::vector<torvane::typWrapRoom> rooms;
    for (const Room& room : rooms_) {
        torvane::typWrapRoom wrap = room.data;
        if (!room.subparts.empty())
            wrap.SubParts = torvane::VbArray<torvane::typSubPartData>(1, room.subparts);
        rooms.push_back(std::move(wrap));
    }
    out.Rooms = torvane::VbArray<torvane::typWrapRoom>(1, rooms);
    return out;
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
                             double unit, std::vector<std::string>& warnings) {
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
            note.Lower = joint.limits->lower;
            note.Upper = joint.limits->upper;
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

void AddTree(RobotBuilder& builder, const urdf::ModelInterface& model, const urdf::Link& link,
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
            *child, motion.alignment, NoteOf(joint, model, unit, builder.Warnings()), motion.motor,
            motion.dimension);
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
    RobotBuilder builder(*model, urdfFile, options);
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
    result.RobotRoom = rootRoom;
    result.Warnings = std::move(builder.Warnings());
    return result;
}

}  // namespace mechanon

#include "export/UrdfRoomBuilder.h"

#include <algorithm>
#include <cmath>

#include "export/JointAxisFrame.h"
#include "export/MeshFolder.h"
#include "model/Codepage.h"
#include "model/TextCompare.h"

namespace mechanon {
namespace {

namespace fs = std::filesystem;
using torvane::typFrame;

torvane::DoubleArray Triple(double a, double b, double c) {
    return torvane::DoubleArray(1, {a, b, c});
}

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

}  // namespace

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

UrdfRoomBuilder::UrdfRoomBuilder(const urdf::ModelInterface& model, const fs::path& urdfFile,
                                 const UrdfImportOptions& options)
    : model_(model), folder_(fs::absolute(urdfFile).parent_path()), options_(options) {}

std::string UrdfRoomBuilder::FreeRoomName(const std::string& wanted) {
    // The name as it comes back from the robot file's code page.
    const std::string base = torvane::CodepageToUtf8(torvane::Utf8ToCodepage(wanted));
    std::string name = base.empty() ? "link" : base;
    for (int n = 2; index_.count(name); ++n) name = base + "_" + std::to_string(n);
    return name;
}

void UrdfRoomBuilder::Warn(const std::string& text) {
    if (warned_.insert(text).second) warnings_.push_back(text);
}

std::optional<fs::path> UrdfRoomBuilder::PackageFile(const std::string& package,
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

std::string UrdfRoomBuilder::MeshShape(const std::string& uri) {
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

void UrdfRoomBuilder::SetShape(torvane::typPartData& part, const urdf::Visual& visual) {
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

std::string UrdfRoomBuilder::AddLink(const urdf::Link& link, const typFrame& alignment,
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
        AddVisualRoom(name, link, *visual, slot, count);
    }
    return name;
}

void UrdfRoomBuilder::AddVisualRoom(const std::string& linkRoom, const urdf::Link& link,
                                    const urdf::Visual& visual, const typFrame& slot, int count) {
    const std::string name = FreeRoomName(linkRoom + "_visual_" + std::to_string(count));
    Room room;
    room.data.Part = BarePart(name);
    torvane::typJointNotes notes;
    notes.VisualOf = link.name;
    room.data.Part.BlankXML = torvane::WithJointNotes("", notes);
    SetShape(room.data.Part, visual);
    index_[name] = rooms_.size();
    rooms_.push_back(std::move(room));
    AttachChild(linkRoom, name, slot);
}

void UrdfRoomBuilder::AttachChild(const std::string& parentRoom, const std::string& childRoom,
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

torvane::typWrapRooms UrdfRoomBuilder::Rooms() const {
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

}  // namespace mechanon

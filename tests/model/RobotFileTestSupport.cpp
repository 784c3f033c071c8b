#include "RobotFileTestSupport.h"

#include <unistd.h>

#include <bit>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"

namespace torvane::testing {

Bytes& Bytes::I16(std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    s_.push_back(static_cast<char>(u & 0xFF));
    s_.push_back(static_cast<char>(u >> 8));
    return *this;
}

Bytes& Bytes::I32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) s_.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
    return *this;
}

Bytes& Bytes::F64(double v) {
    const auto u = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) s_.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
    return *this;
}

Bytes& Bytes::Zeros(int doubles) {
    for (int i = 0; i < doubles; ++i) F64(0);
    return *this;
}

Bytes& Bytes::Text(const std::string& codepageBytes) {
    I16(static_cast<std::int16_t>(codepageBytes.size()));
    s_ += codepageBytes;
    return *this;
}

Bytes& Bytes::Array(std::int32_t count, std::int32_t lower) {
    I16(1);
    I32(count);
    return I32(lower);
}

Bytes& Bytes::Unallocated() {
    return I16(0);
}

Bytes& Bytes::Raw(const std::string& bytes) {
    s_ += bytes;
    return *this;
}

ScratchFolder::ScratchFolder() {
    std::string templ = (std::filesystem::temp_directory_path() / "robotfile-XXXXXX").string();
    if (::mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> ScratchFolder::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    return names;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

const char* const kSpareDescription = "日本 Ω, é and €";
const char* const kSpareDescriptionFromFile = "?? ?, é and €";

namespace {

std::shared_ptr<clsPartRoom> MakeRoom(clsRooms& rooms, std::string name, bool asGrid) {
    rooms.CreatePartRoom(name, asGrid);
    return rooms.GetRoomByName(name);
}

void Use(clsPartRoom& parent, const std::shared_ptr<clsPartRoom>& used, const std::string& name,
         double x) {
    typSubPartData data;
    data.Name = name;
    data.RelativePosition = {x, 1.5, -2.25};
    data.RelativeAttitude = {0, 90, 12.5};
    data.Description = "use of " + used->Name();
    data.JointTranslation = {0.125, 0, 0};
    data.JointAngles = DoubleArray(1, {1, 2, 3});
    auto sub = std::make_shared<clsSubPart>(data);
    sub->Part = used;
    parent.AttachSubPart(sub);
}

}  // namespace

void BuildFixture(clsRooms& rooms) {
    const auto base = MakeRoom(rooms, "Robot Base é", true);
    const auto arm = MakeRoom(rooms, "Arm", false);
    const auto gripper = MakeRoom(rooms, "Gripper €", false);
    const auto spare = MakeRoom(rooms, "Spare", false);

    typPartData armData = arm->PartData();
    armData.MotorType = 2;
    armData.MotorDimension = 2;
    armData.MotorPosition = 15;
    armData.JointPosition = {0, 0, 0.5};
    armData.JointAttitude = {0, 37.5, 0};
    armData.Size = DoubleArray(1, {0.5, 0.5, 4});
    armData.ShapeColor = DoubleArray(1, {100, 20.25, 0});
    armData.ShapeName = "Box";
    arm->SetPartData(armData);

    typPartData gripperData = gripper->PartData();
    gripperData.MotorType = 1;
    gripperData.MotorDimension = 3;
    gripperData.MotorPosition = -0.75;
    gripperData.JointTranslation = {0, 0, -0.75};
    gripperData.Description = "Grips at 2 €";
    gripperData.BlankXML = "<LEG>é</LEG>";
    gripper->SetPartData(gripperData);

    typPartData spareData = spare->PartData();
    spareData.Description = kSpareDescription;
    spareData.ParentName = "nobody";
    spareData.Picture = "spare.bmp";
    spare->SetPartData(spareData);

    Use(*base, arm, "Left Arm", -3);
    Use(*base, arm, "Right Arm", 3);
    Use(*arm, gripper, "Gripper", 0);

    rooms.MapMotorMasks();
    typMotorMasks masks = base->MotorMasks();
    for (std::int32_t i = 1; i <= masks.TotalMasks; ++i) masks.Masks(i).Value = 10.0 * i;
    masks.XMLScript = "<LEG>drive é</LEG>";
    masks.VBScript = "x = 1 ' €";
    masks.XMLProperties = "<MOTOR>Arm</MOTOR>";
    base->SetMotorMasks(masks);
    typMotorMasks armMasks = arm->MotorMasks();
    armMasks.Masks(2).Value = -4.5;
    arm->SetMotorMasks(armMasks);
    rooms.SetPartRoomIndex(2);
}

RoomsSnapshot Snapshot(const clsRooms& rooms) {
    RoomsSnapshot s;
    s.data = rooms.AllData();
    for (std::int32_t i = 1; i <= rooms.TotalRooms; ++i) s.rooms.push_back(rooms.Rooms(i));
    s.active = rooms.ActivePartRoom;
    s.activeIndex = rooms.PartRoomIndex();
    s.total = rooms.TotalRooms;
    return s;
}

bool SameAs(const RoomsSnapshot& a, const RoomsSnapshot& b) {
    return a.data == b.data && a.rooms == b.rooms && a.active == b.active &&
           a.activeIndex == b.activeIndex && a.total == b.total;
}

typWrapRooms RobotOfUses(const std::vector<std::string>& names,
                         const std::vector<std::vector<std::string>>& uses) {
    std::vector<typWrapRoom> rooms(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        rooms[i].Part.Name = names[i];
        std::vector<typSubPartData> subs;
        for (std::size_t k = 0; k < uses[i].size(); ++k) {
            typSubPartData sub;
            sub.Name = "use" + std::to_string(k + 1);
            sub.SavePartName = uses[i][k];
            subs.push_back(sub);
        }
        rooms[i].SubParts = subs.empty() ? VbArray<typSubPartData>(0, {typSubPartData{}})
                                         : VbArray<typSubPartData>(1, std::move(subs));
    }
    typWrapRooms robot;
    robot.Rooms = VbArray<typWrapRoom>(1, std::move(rooms));
    return robot;
}

}  // namespace torvane::testing

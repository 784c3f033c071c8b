// The robot file against a text format in the same run, on three kinds of synthetic robot:
//   flat   ten motorised joint rooms, and every other room using each of them once (ten
//          subparts per room), at 1,000, 2,000, 4,000 and 8,000 rooms;
//   chain  every room using the next one (the deepest robot a room list can make);
//   tree   room i using rooms 2i and 2i+1 (a binary tree: wide and shared).
// Every robot has built mask tables that carry values.
//
// Per iteration and robot, timed separately:
//   save        clsRooms::Save to a file (encode, write a temporary file, flush it, rename)
//   load        clsRooms::Load from that file (read, decode, check, build, relink, masks)
//   encode      the bytes of the robot in memory, no file
//   xml_print   the same robot written as URDF-style XML into memory with tinyxml2's printer
//   xml_parse   tinyxml2 parsing that XML file into its document
//   xml_read    tinyxml2 parsing it and reading every value back into the robot's records
// Every figure is the median over the iterations. Counters: megabytes per second and
// microseconds per room for save and load (the time per room stays flat when both grow
// linearly), and the ratios of medians load / xml_parse, load / xml_read and encode / xml_print
// (below 1 means the robot file is faster). Times are the thread's CPU time; save_wall_ms adds
// the wait for the disk.

#include <benchmark/benchmark.h>
#include <time.h>
#include <tinyxml2.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/RobotFile.h"
#include "model/clsRooms.h"

namespace {

using torvane::DoubleArray;
using torvane::typMotorMask;
using torvane::typMotorMasks;
using torvane::typPartData;
using torvane::typSubPartData;
using torvane::typWrapRoom;
using torvane::typWrapRooms;
using torvane::VbArray;

constexpr int kJointRooms = 10;

typPartData PartRecord(const std::string& name, int i) {
    typPartData d;
    d.Name = name;
    d.ShapeName = i % 2 ? "Box" : "Cone";
    d.Size = DoubleArray(1, {1 + 0.001 * i, 0.5, 0.25});
    d.ShapeColor = DoubleArray(1, {50, 25.5, 100});
    d.RelativePosition = {0.5 * i, -1.25, 3};
    d.RelativeAttitude = {0, 12.5, -7};
    d.JointPosition = {0, 0, 0.5};
    d.JointAngles = DoubleArray(1, {0, 0, 0});
    d.Description = "Synthetic part room number " + std::to_string(i);
    d.Camera = {-12, -10, 8, 0, 0, 0};
    return d;
}

// The robot as the collection would store it, before its mask tables are built.
typWrapRooms SyntheticRobot(int rooms) {
    std::vector<typWrapRoom> all(static_cast<std::size_t>(rooms));
    for (int j = 0; j < kJointRooms; ++j) {
        typWrapRoom& joint = all[static_cast<std::size_t>(j)];
        joint.Part = PartRecord("Joint " + std::to_string(j + 1), j);
        joint.Part.MotorType = static_cast<std::int16_t>(1 + j % 2);
        joint.Part.MotorDimension = static_cast<std::int16_t>(1 + j % 3);
        joint.Part.MotorPosition = 5.0 * j;
        joint.SubParts = VbArray<typSubPartData>(0, {typSubPartData{}});
    }
    for (int i = kJointRooms; i < rooms; ++i) {
        typWrapRoom& room = all[static_cast<std::size_t>(i)];
        room.Part = PartRecord("Room " + std::to_string(i + 1), i);
        std::vector<typSubPartData> subs(kJointRooms);
        for (int k = 0; k < kJointRooms; ++k) {
            typSubPartData& s = subs[static_cast<std::size_t>(k)];
            s.Name = "Link " + std::to_string(k + 1);
            s.SavePartName = "Joint " + std::to_string(k + 1);
            s.RelativePosition = {0.25 * k, 1.5, -0.75};
            s.RelativeAttitude = {0, 36.0 * k, 0};
            s.JointAngles = DoubleArray(1, {0, 0, 0});
        }
        room.SubParts = VbArray<typSubPartData>(1, std::move(subs));
    }
    typWrapRooms robot;
    robot.Rooms = VbArray<typWrapRoom>(1, std::move(all));
    return robot;
}

enum class Kind { Flat = 0, Chain = 1, Tree = 2 };

typSubPartData UseOf(int usedRoom, int k) {
    typSubPartData s;
    s.Name = "Use " + std::to_string(k);
    s.SavePartName = "Room " + std::to_string(usedRoom);
    s.RelativePosition = {0.25 * k, 1.5, -0.75};
    s.RelativeAttitude = {0, 36.0 * k, 0};
    s.JointAngles = DoubleArray(1, {0, 0, 0});
    return s;
}

// Rooms named "Room 1" to "Room n", each a motorised part, room i using the rooms `uses` names.
template <typename Uses>
typWrapRooms LinkedRobot(int rooms, Uses uses) {
    std::vector<typWrapRoom> all(static_cast<std::size_t>(rooms));
    for (int i = 1; i <= rooms; ++i) {
        typWrapRoom& room = all[static_cast<std::size_t>(i - 1)];
        room.Part = PartRecord("Room " + std::to_string(i), i);
        room.Part.MotorType = static_cast<std::int16_t>(1 + i % 2);
        room.Part.MotorDimension = static_cast<std::int16_t>(1 + i % 3);
        std::vector<typSubPartData> subs;
        for (const int used : uses(i)) {
            if (used <= rooms) subs.push_back(UseOf(used, static_cast<int>(subs.size()) + 1));
        }
        room.SubParts = subs.empty() ? VbArray<typSubPartData>(0, {typSubPartData{}})
                                     : VbArray<typSubPartData>(1, std::move(subs));
    }
    typWrapRooms robot;
    robot.Rooms = VbArray<typWrapRoom>(1, std::move(all));
    return robot;
}

typWrapRooms RobotOfKind(Kind kind, int rooms) {
    switch (kind) {
        case Kind::Chain:
            return LinkedRobot(rooms, [](int i) { return std::vector<int>{i + 1}; });
        case Kind::Tree:
            return LinkedRobot(rooms, [](int i) { return std::vector<int>{2 * i, 2 * i + 1}; });
        case Kind::Flat:
            break;
    }
    return SyntheticRobot(rooms);
}

// A collection holding the synthetic robot, linked, with mask tables that carry values.
void FillRooms(torvane::clsRooms& rooms, Kind kind, int count) {
    rooms.ReplaceAllData(RobotOfKind(kind, count));
    for (std::int32_t i = 1; i <= rooms.TotalRooms; ++i) {
        typMotorMasks masks = rooms.Rooms(i)->MotorMasks();
        for (std::int32_t k = 1; k <= masks.TotalMasks; ++k) masks.Masks(k).Value = 0.5 * k;
        rooms.Rooms(i)->SetMotorMasks(masks);
    }
}

// ---------------------------------------------------------------------------------------------
// The same robot as URDF-style XML: a link per part room, a joint per subpart naming its parent
// and child link, the mask table inside its link. Numbers keep every bit (17 digits).

// Blank-separated numbers, as URDF writes its vectors.
template <typename Values>
std::string JoinNumbers(const Values& values) {
    std::string out;
    char buf[32];
    for (const double v : values) {
        std::snprintf(buf, sizeof buf, out.empty() ? "%.17g" : " %.17g", v);
        out += buf;
    }
    return out;
}
std::string Numbers(std::initializer_list<double> values) {
    return JoinNumbers(values);
}
std::string Numbers(const DoubleArray& a) {
    return JoinNumbers(a.Items());
}
std::string Numbers(const torvane::typ3Point& p) {
    return Numbers({p.X, p.Y, p.Z});
}
std::string Numbers(const torvane::typAttitude& a) {
    return Numbers({a.Pitch, a.Yaw, a.Roll});
}

void PrintMasks(tinyxml2::XMLPrinter& p, const typMotorMasks& m) {
    p.OpenElement("motor_masks");
    p.PushAttribute("count", m.CountMasks);
    p.PushAttribute("total", m.TotalMasks);
    p.PushAttribute("xml_script", m.XMLScript.c_str());
    p.PushAttribute("vb_script", m.VBScript.c_str());
    p.PushAttribute("xml_properties", m.XMLProperties.c_str());
    for (const typMotorMask& mask : m.Masks.Items()) {
        p.OpenElement("mask");
        p.PushAttribute("name", mask.Name.c_str());
        p.PushAttribute("value", mask.Value);
        p.CloseElement();
    }
    p.CloseElement();
}

void PrintLink(tinyxml2::XMLPrinter& p, const typWrapRoom& room) {
    const typPartData& d = room.Part;
    p.OpenElement("link");
    p.PushAttribute("name", d.Name.c_str());
    p.PushAttribute("parent_name", d.ParentName.c_str());
    p.PushAttribute("description", d.Description.c_str());
    p.PushAttribute("blank_xml", d.BlankXML.c_str());
    p.PushAttribute("picture", d.Picture.c_str());
    p.OpenElement("visual");
    p.OpenElement("geometry");
    p.PushAttribute("shape", d.ShapeName.c_str());
    p.PushAttribute("size", Numbers(d.Size).c_str());
    p.CloseElement();
    p.OpenElement("material");
    p.PushAttribute("color", Numbers(d.ShapeColor).c_str());
    p.CloseElement();
    p.CloseElement();
    p.OpenElement("origin");
    p.PushAttribute("xyz", Numbers(d.RelativePosition).c_str());
    p.PushAttribute("rpy", Numbers(d.RelativeAttitude).c_str());
    p.CloseElement();
    p.OpenElement("joint_state");
    p.PushAttribute("pivot", Numbers(d.JointPosition).c_str());
    p.PushAttribute("rpy", Numbers(d.JointAttitude).c_str());
    p.PushAttribute("xyz", Numbers(d.JointTranslation).c_str());
    p.PushAttribute("angles", Numbers(d.JointAngles).c_str());
    p.CloseElement();
    p.OpenElement("motor");
    p.PushAttribute("type", d.MotorType);
    p.PushAttribute("dimension", d.MotorDimension);
    p.PushAttribute("position", d.MotorPosition);
    p.CloseElement();
    p.OpenElement("camera");
    p.PushAttribute("eye", Numbers({d.Camera.CameraX, d.Camera.CameraY, d.Camera.CameraZ}).c_str());
    p.PushAttribute("look_at",
                    Numbers({d.Camera.LookAtX, d.Camera.LookAtY, d.Camera.LookAtZ}).c_str());
    p.CloseElement();
    PrintMasks(p, room.MotorMasks);
    p.CloseElement();
}

void PrintJoint(tinyxml2::XMLPrinter& p, const typPartData& parent, const typSubPartData& s) {
    p.OpenElement("joint");
    p.PushAttribute("name", s.Name.c_str());
    p.PushAttribute("type", "fixed");
    p.PushAttribute("description", s.Description.c_str());
    p.PushAttribute("blank_xml", s.BlankXML.c_str());
    p.PushAttribute("picture", s.Picture.c_str());
    p.OpenElement("parent");
    p.PushAttribute("link", parent.Name.c_str());
    p.CloseElement();
    p.OpenElement("child");
    p.PushAttribute("link", s.SavePartName.c_str());
    p.CloseElement();
    p.OpenElement("origin");
    p.PushAttribute("xyz", Numbers(s.RelativePosition).c_str());
    p.PushAttribute("rpy", Numbers(s.RelativeAttitude).c_str());
    p.CloseElement();
    p.OpenElement("joint_state");
    p.PushAttribute("rpy", Numbers(s.JointAttitude).c_str());
    p.PushAttribute("xyz", Numbers(s.JointTranslation).c_str());
    p.PushAttribute("angles", Numbers(s.JointAngles).c_str());
    p.CloseElement();
    p.CloseElement();
}

void PrintRobotXml(tinyxml2::XMLPrinter& p, const typWrapRooms& robot) {
    p.OpenElement("robot");
    p.PushAttribute("name", "synthetic");
    for (const typWrapRoom& room : robot.Rooms.Items()) PrintLink(p, room);
    for (const typWrapRoom& room : robot.Rooms.Items()) {
        if (room.SubParts.LBound() < 1) continue;  // the program's spare record of a bare room
        for (const typSubPartData& s : room.SubParts.Items()) PrintJoint(p, room.Part, s);
    }
    p.CloseElement();
}

// ---------------------------------------------------------------------------------------------
// Reading the XML back into records: what an XML robot loader has to do at the least.

std::vector<double> ParseNumbers(const char* text) {
    std::vector<double> out;
    if (!text) return out;
    char* end = nullptr;
    for (double v = std::strtod(text, &end); end != text; v = std::strtod(text, &end)) {
        out.push_back(v);
        text = end;
    }
    return out;
}
std::string Attr(const tinyxml2::XMLElement* e, const char* name) {
    const char* v = e ? e->Attribute(name) : nullptr;
    return v ? v : "";
}
torvane::typ3Point Point(const tinyxml2::XMLElement* e, const char* name) {
    const std::vector<double> v = ParseNumbers(e ? e->Attribute(name) : nullptr);
    return v.size() == 3 ? torvane::typ3Point{v[0], v[1], v[2]} : torvane::typ3Point{};
}
torvane::typAttitude Attitude(const tinyxml2::XMLElement* e, const char* name) {
    const torvane::typ3Point p = Point(e, name);
    return {p.X, p.Y, p.Z};
}
DoubleArray Doubles(const tinyxml2::XMLElement* e, const char* name) {
    return DoubleArray(1, ParseNumbers(e ? e->Attribute(name) : nullptr));
}

typWrapRooms ReadRobotXml(const tinyxml2::XMLDocument& doc) {
    std::vector<typWrapRoom> rooms;
    std::unordered_map<std::string, std::size_t> byName;
    const tinyxml2::XMLElement* robot = doc.FirstChildElement("robot");
    for (auto* link = robot->FirstChildElement("link"); link;
         link = link->NextSiblingElement("link")) {
        typWrapRoom room;
        typPartData& d = room.Part;
        d.Name = Attr(link, "name");
        d.ParentName = Attr(link, "parent_name");
        d.Description = Attr(link, "description");
        d.BlankXML = Attr(link, "blank_xml");
        d.Picture = Attr(link, "picture");
        const auto* visual = link->FirstChildElement("visual");
        const auto* geometry = visual->FirstChildElement("geometry");
        d.ShapeName = Attr(geometry, "shape");
        d.Size = Doubles(geometry, "size");
        d.ShapeColor = Doubles(visual->FirstChildElement("material"), "color");
        const auto* origin = link->FirstChildElement("origin");
        d.RelativePosition = Point(origin, "xyz");
        d.RelativeAttitude = Attitude(origin, "rpy");
        const auto* state = link->FirstChildElement("joint_state");
        d.JointPosition = Point(state, "pivot");
        d.JointAttitude = Attitude(state, "rpy");
        d.JointTranslation = Point(state, "xyz");
        d.JointAngles = Doubles(state, "angles");
        const auto* motor = link->FirstChildElement("motor");
        d.MotorType = static_cast<std::int16_t>(motor->IntAttribute("type"));
        d.MotorDimension = static_cast<std::int16_t>(motor->IntAttribute("dimension"));
        d.MotorPosition = motor->DoubleAttribute("position");
        const auto* camera = link->FirstChildElement("camera");
        const torvane::typ3Point eye = Point(camera, "eye"), at = Point(camera, "look_at");
        d.Camera = {eye.X, eye.Y, eye.Z, at.X, at.Y, at.Z};
        const auto* masks = link->FirstChildElement("motor_masks");
        room.MotorMasks.CountMasks = masks->IntAttribute("count");
        room.MotorMasks.TotalMasks = masks->IntAttribute("total");
        room.MotorMasks.XMLScript = Attr(masks, "xml_script");
        room.MotorMasks.VBScript = Attr(masks, "vb_script");
        room.MotorMasks.XMLProperties = Attr(masks, "xml_properties");
        std::vector<typMotorMask> list;
        for (auto* m = masks->FirstChildElement("mask"); m; m = m->NextSiblingElement("mask"))
            list.push_back({Attr(m, "name"), m->DoubleAttribute("value")});
        room.MotorMasks.Masks = VbArray<typMotorMask>(1, std::move(list));
        byName.emplace(d.Name, rooms.size());
        rooms.push_back(std::move(room));
    }
    std::vector<std::vector<typSubPartData>> subs(rooms.size());
    for (auto* joint = robot->FirstChildElement("joint"); joint;
         joint = joint->NextSiblingElement("joint")) {
        typSubPartData s;
        s.Name = Attr(joint, "name");
        s.Description = Attr(joint, "description");
        s.BlankXML = Attr(joint, "blank_xml");
        s.Picture = Attr(joint, "picture");
        s.SavePartName = Attr(joint->FirstChildElement("child"), "link");
        const auto* origin = joint->FirstChildElement("origin");
        s.RelativePosition = Point(origin, "xyz");
        s.RelativeAttitude = Attitude(origin, "rpy");
        const auto* state = joint->FirstChildElement("joint_state");
        s.JointAttitude = Attitude(state, "rpy");
        s.JointTranslation = Point(state, "xyz");
        s.JointAngles = Doubles(state, "angles");
        const auto parent = byName.find(Attr(joint->FirstChildElement("parent"), "link"));
        if (parent != byName.end()) subs[parent->second].push_back(std::move(s));
    }
    for (std::size_t i = 0; i < rooms.size(); ++i)
        rooms[i].SubParts = subs[i].empty() ? VbArray<typSubPartData>(0, {typSubPartData{}})
                                            : VbArray<typSubPartData>(1, std::move(subs[i]));
    typWrapRooms out;
    out.Rooms = VbArray<typWrapRoom>(1, std::move(rooms));
    return out;
}

// ---------------------------------------------------------------------------------------------

// A folder of its own under the temporary folder, removed afterwards.
class BenchFolder {
  public:
    BenchFolder() {
        std::string templ =
            (std::filesystem::temp_directory_path() / "bench-robot-XXXXXX").string();
        if (::mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = templ;
    }
    ~BenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    std::string File(const char* name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// The CPU time of this thread, in seconds. The machine is shared, so wall time would count
// whatever else runs; the one phase that waits for the disk (the flush of save) is also timed
// on the wall clock.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

template <typename F>
double Seconds(F&& f) {
    const double t0 = ThreadSeconds();
    f();
    return ThreadSeconds() - t0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]));
}

template <typename F>
double WallSeconds(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_RobotFile(benchmark::State& state) {
    const int roomCount = static_cast<int>(state.range(0));
    const auto kind = static_cast<Kind>(state.range(1));
    BenchFolder folder;
    const std::string botPath = folder.File("robot.bot");
    const std::string xmlPath = folder.File("robot.xml");
    torvane::clsRooms rooms;
    FillRooms(rooms, kind, roomCount);
    rooms.Save(botPath);
    const auto fileBytes = static_cast<double>(std::filesystem::file_size(botPath));

    // The XML file the parser reads, written once from the same records.
    {
        tinyxml2::XMLPrinter printer(nullptr, true);
        PrintRobotXml(printer, rooms.AllData());
        std::ofstream(xmlPath, std::ios::binary)
            .write(printer.CStr(), static_cast<std::streamsize>(printer.CStrSize() - 1));
    }
    const auto xmlBytes = static_cast<double>(std::filesystem::file_size(xmlPath));
    {
        // The peer must do the whole job: read back, the XML gives the same records.
        tinyxml2::XMLDocument doc;
        if (doc.LoadFile(xmlPath.c_str()) != tinyxml2::XML_SUCCESS ||
            !(ReadRobotXml(doc) == rooms.AllData())) {
            state.SkipWithError("the XML form does not read back as the same robot");
            return;
        }
    }

    std::vector<double> saveWall, save, load, encode, xmlPrint, xmlParse, xmlRead;
    for (auto _ : state) {
        saveWall.push_back(
            WallSeconds([&] { save.push_back(Seconds([&] { rooms.Save(botPath); })); }));
        torvane::clsRooms loaded;
        load.push_back(Seconds([&] { loaded.Load(botPath); }));
        benchmark::DoNotOptimize(loaded.TotalRooms);
        encode.push_back(Seconds([&] {
            const std::string bytes = torvane::EncodeRobot(rooms.AllData());
            benchmark::DoNotOptimize(bytes.data());
        }));
        xmlPrint.push_back(Seconds([&] {
            tinyxml2::XMLPrinter printer(nullptr, true);
            PrintRobotXml(printer, rooms.AllData());
            benchmark::DoNotOptimize(printer.CStr());
        }));
        xmlParse.push_back(Seconds([&] {
            tinyxml2::XMLDocument doc;
            if (doc.LoadFile(xmlPath.c_str()) != tinyxml2::XML_SUCCESS) state.SkipWithError("xml");
            benchmark::DoNotOptimize(doc.RootElement());
        }));
        xmlRead.push_back(Seconds([&] {
            tinyxml2::XMLDocument doc;
            if (doc.LoadFile(xmlPath.c_str()) != tinyxml2::XML_SUCCESS) state.SkipWithError("xml");
            const typWrapRooms read = ReadRobotXml(doc);
            benchmark::DoNotOptimize(read.Rooms.Count());
        }));
    }

    const double mSave = Median(save), mLoad = Median(load), mEncode = Median(encode);
    const double mPrint = Median(xmlPrint), mParse = Median(xmlParse), mRead = Median(xmlRead);
    const double mb = fileBytes / 1e6;
    state.counters["file_MB"] = mb;
    state.counters["xml_MB"] = xmlBytes / 1e6;
    state.counters["save_MBps"] = mb / mSave;
    state.counters["load_MBps"] = mb / mLoad;
    state.counters["save_us_per_room"] = mSave / roomCount * 1e6;
    state.counters["load_us_per_room"] = mLoad / roomCount * 1e6;
    state.counters["save_wall_ms"] = Median(saveWall) * 1e3;
    state.counters["load_ms"] = mLoad * 1e3;
    state.counters["xml_parse_ms"] = mParse * 1e3;
    state.counters["load_per_xml_parse"] = mLoad / mParse;
    state.counters["load_per_xml_read"] = mLoad / mRead;
    state.counters["encode_per_xml_print"] = mEncode / mPrint;
}
BENCHMARK(BM_RobotFile)
    ->ArgNames({"rooms", "kind"})  // kind: 0 flat, 1 chain, 2 binary tree
    ->Args({1000, 0})
    ->Args({2000, 0})
    ->Args({4000, 0})
    ->Args({8000, 0})
    ->Args({1000, 1})
    ->Args({1000, 2})
    ->Args({8000, 2})
    ->MinTime(2.0)  // several rounds even at 8,000 rooms, on a machine others share
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

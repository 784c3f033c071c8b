// The robot file: its bytes, round trips through the collection, what saving refuses and
// what loading refuses.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "RobotFileTestSupport.h"
#include "model/Error.h"
#include "model/RobotFile.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "model/clsSubPart.h"

namespace torvane {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::Snapshot;
using testing::WriteBytes;

// The code to expect from f, and its message.
template <typename F>
std::string ErrorOf(F&& f, ErrorCode code) {
    try {
        f();
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), code) << e.what();
        return e.what();
    }
    ADD_FAILURE() << "no error was raised";
    return {};
}

// Loads bytes into a collection holding the fixture; the load must fail with a file-format
// error containing every fragment and leave the collection exactly as it was.
void ExpectLoadRefused(const std::string& bytes, const std::vector<std::string>& fragments) {
    ScratchFolder folder;
    const std::string path = folder.File("bad.bot");
    WriteBytes(path, bytes);
    clsRooms rooms;
    testing::BuildFixture(rooms);
    const auto before = Snapshot(rooms);
    const std::string message = ErrorOf([&] { rooms.Load(path); }, ErrorCode::FileFormat);
    for (const auto& fragment : fragments)
        EXPECT_NE(message.find(fragment), std::string::npos)
            << "\"" << fragment << "\" missing from: " << message;
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_TRUE(testing::SameAs(before, Snapshot(rooms)));
}

// Bytes of one empty subpart record: every number 0, every text empty, JointAngles unallocated.
void EmptySubPart(Bytes& b) {
    b.Zeros(6).Text("").Text("").Text("").Text("").Zeros(6).Zeros(6).Unallocated().Text("");
}

TEST(RobotFileBytes, StartUpRobotIsExactlyTheLayoutFieldByField) {
    clsRooms rooms;
    std::string name = "Part 1";
    rooms.CreatePartRoom(name, true);
    rooms.MapMotorMasks();
    ScratchFolder folder;
    const std::string path = folder.File("start.bot");
    rooms.Save(path);

    Bytes b;
    b.Array(1, 1);  // Rooms
    // typPartData
    b.Text("Part 1").Text("").Text("Grid");
    b.Array(3, 1).F64(10).F64(10).F64(1);   // Size
    b.Array(3, 1).F64(50).F64(50).F64(50);  // ShapeColor
    b.Zeros(
        15);   // RelativePosition, RelativeAttitude, JointPosition, JointAttitude, JointTranslation
    b.F64(0);  // MotorPosition
    b.Array(3, 1).Zeros(3);               // JointAngles
    b.I16(0).I16(0);                      // MotorType, MotorDimension
    b.Text("").Text("");                  // Description, BlankXML
    b.F64(-12).F64(-10).F64(8).Zeros(3);  // Camera
    b.Text("");                           // Picture
    // SubParts: the single empty record at lower bound 0
    b.Array(1, 0);
    EmptySubPart(b);
    // MotorMasks: one empty mask at 1, counters 0, three empty texts
    b.Array(1, 1).Text("").F64(0);
    b.I32(0).I32(0);
    b.Text("").Text("").Text("");

    EXPECT_EQ(ReadBytes(path), b.Str());

    // The beginning as the format's description lists it, byte by byte.
    const unsigned char documented[] = {
        0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,  // Rooms
        0x06, 0x00, 'P',  'a',  'r',  't',  ' ',  '1',               // Name
        0x00, 0x00,                                                  // ParentName
        0x04, 0x00, 'G',  'r',  'i',  'd',                           // ShapeName
        0x01, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,  // Size header
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24, 0x40,              // 10
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24, 0x40,              // 10
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf0, 0x3f};             // 1
    const std::string file = ReadBytes(path);
    ASSERT_GE(file.size(), sizeof documented);
    EXPECT_EQ(0, std::memcmp(file.data(), documented, sizeof documented));
}

TEST(RobotFileRoundTrip, FixtureSavesLoadsAndSavesAgainToIdenticalBytes) {
    ScratchFolder folder;
    clsRooms original;
    testing::BuildFixture(original);
    const std::string first = folder.File("first.bot");
    original.Save(first);

    clsRooms loaded;
    std::string other = "Something else";
    loaded.CreatePartRoom(other, true);
    loaded.Load(first);
    const std::string second = folder.File("second.bot");
    loaded.Save(second);
    EXPECT_EQ(ReadBytes(first), ReadBytes(second));

    ASSERT_EQ(loaded.TotalRooms, 4);
    EXPECT_EQ(loaded.PartRoomIndex(), 1);
    EXPECT_EQ(loaded.ActivePartRoom, loaded.Rooms(1));
    EXPECT_EQ(loaded.GetRoomByName("Something else"), nullptr);

    // Both uses of the arm are the one room object of the collection.
    const auto base = loaded.GetRoomByName("Robot Base é");
    const auto arm = loaded.GetRoomByName("Arm");
    ASSERT_TRUE(base && arm);
    ASSERT_EQ(base->SubParts.Count(), 2);
    EXPECT_EQ(base->SubParts(1).Part, arm);
    EXPECT_EQ(base->SubParts(2).Part, arm);
    EXPECT_EQ(arm->SubParts(1).Part, loaded.GetRoomByName("Gripper €"));

    // Texts in and beyond the code page.
    EXPECT_EQ(loaded.GetRoomByName("Spare")->PartData().Description,
              testing::kSpareDescriptionFromFile);
    EXPECT_EQ(loaded.GetRoomByName("Gripper €")->PartData().BlankXML, "<LEG>é</LEG>");

    // The mask table survives with its values, and the records match what was saved.
    const typMotorMasks masks = base->MotorMasks();
    ASSERT_EQ(masks.TotalMasks, 4);
    EXPECT_EQ(masks.Masks(1).Name, "Arm");
    EXPECT_EQ(masks.Masks(2).Name, "Gripper €");
    EXPECT_EQ(masks.Masks(4).Value, 40);
    EXPECT_EQ(masks.VBScript, "x = 1 ' €");
    EXPECT_EQ(arm->MotorMasks().Masks(2).Value, -4.5);

    typWrapRooms expected = original.AllData();
    expected.Rooms(4).Part.Description = testing::kSpareDescriptionFromFile;
    EXPECT_EQ(loaded.AllData(), expected);
}

TEST(RobotFileRoundTrip, UnusualArraysAndValuesSurviveBitForBit) {
    typWrapRooms robot = testing::RobotOfUses({"A", "B"}, {{"B"}, {}});
    typPartData& a = robot.Rooms(1).Part;
    a.Size = DoubleArray(-5, {1, 2});                      // negative lower bound
    a.ShapeColor = DoubleArray(7, std::vector<double>{});  // allocated, no elements
    a.JointAngles = DoubleArray(1, {std::numeric_limits<double>::quiet_NaN(), -0.0,
                                    std::numeric_limits<double>::infinity(), 1e-310});
    a.MotorType = std::numeric_limits<std::int16_t>::min();
    a.MotorDimension = std::numeric_limits<std::int16_t>::max();
    robot.Rooms(1).MotorMasks.CountMasks = std::numeric_limits<std::int32_t>::min();
    robot.Rooms(1).MotorMasks.TotalMasks = -7;
    robot.Rooms(2).MotorMasks.Masks = VbArray<typMotorMask>(1, {{"x", 1.5}, {"", -2}});

    const std::string bytes = EncodeRobot(robot);
    const typWrapRooms back = DecodeRobot(bytes + "trailing bytes are never read", "mem");
    EXPECT_EQ(EncodeRobot(back), bytes);
    EXPECT_EQ(back.Rooms(1).Part.Size, a.Size);
    EXPECT_TRUE(back.Rooms(1).Part.ShapeColor.IsAllocated());
    EXPECT_EQ(back.Rooms(1).Part.ShapeColor.LBound(), 7);
    EXPECT_EQ(back.Rooms(1).Part.ShapeColor.Count(), 0u);
    EXPECT_TRUE(std::isnan(back.Rooms(1).Part.JointAngles(1)));
    EXPECT_TRUE(std::signbit(back.Rooms(1).Part.JointAngles(2)));
    EXPECT_EQ(back.Rooms(1).Part.MotorType, a.MotorType);
    EXPECT_EQ(back.Rooms(1).MotorMasks.CountMasks, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(back.Rooms(2).MotorMasks, robot.Rooms(2).MotorMasks);
    EXPECT_FALSE(back.Rooms(2).Part.Size.IsAllocated());
}

TEST(RobotFileRoundTrip, RecordsOfLeastSizeFillAFileExactly) {
    // Rooms, subparts and masks with every text empty and every array unallocated take the
    // fewest bytes the reader allows for; a file made only of them must still be read, and
    // one byte less must not.
    typWrapRooms robot;
    std::vector<typWrapRoom> rooms(5);
    for (auto& room : rooms) {
        room.SubParts = VbArray<typSubPartData>(0, std::vector<typSubPartData>(3));
        room.MotorMasks.Masks = VbArray<typMotorMask>(1, std::vector<typMotorMask>(4));
    }
    robot.Rooms = VbArray<typWrapRoom>(1, std::move(rooms));
    const std::string bytes = EncodeRobot(robot);
    EXPECT_EQ(DecodeRobot(bytes, "mem"), robot);
    const std::string message = ErrorOf(
        [&] { DecodeRobot(bytes.substr(0, bytes.size() - 1), "mem"); }, ErrorCode::FileFormat);
    EXPECT_NE(message.find("at byte " + std::to_string(bytes.size() - 2)), std::string::npos)
        << message;
}

TEST(RobotFileSave, OverALongerFileLeavesExactlyTheNewRobot) {
    ScratchFolder folder;
    const std::string path = folder.File("robot.bot");
    WriteBytes(path, std::string(100000, 'x'));
    clsRooms rooms;
    testing::BuildFixture(rooms);
    rooms.Save(path);
    EXPECT_EQ(ReadBytes(path), EncodeRobot(rooms.AllData()));
    clsRooms loaded;
    loaded.Load(path);
    EXPECT_EQ(loaded.TotalRooms, 4);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"robot.bot"});
}

TEST(RobotFileSave, TextsTooLongForTheFileAreRefusedBeforeAnythingIsWritten) {
    ScratchFolder folder;
    const std::string path = folder.File("robot.bot");
    WriteBytes(path, "what was there before");

    clsRooms rooms;
    testing::BuildFixture(rooms);
    const auto arm = rooms.GetRoomByName("Arm");

    // The limit is in code page bytes: 16,384 "é" are 32,768 bytes of UTF-8 but fit.
    std::string fits;
    for (int i = 0; i < 16384; ++i) fits += "é";
    typPartData data = arm->PartData();
    data.Description = fits;
    data.Picture = std::string(32767, 'p');
    arm->SetPartData(data);
    rooms.Save(path);
    clsRooms loaded;
    loaded.Load(path);
    EXPECT_EQ(loaded.GetRoomByName("Arm")->PartData().Description, fits);
    EXPECT_EQ(loaded.GetRoomByName("Arm")->PartData().Picture.size(), 32767u);
    const std::string saved = ReadBytes(path);

    data.Picture = std::string(32768, 'p');
    arm->SetPartData(data);
    std::string message = ErrorOf([&] { rooms.Save(path); }, ErrorCode::InvalidArgument);
    EXPECT_NE(message.find("room 2 \"Arm\""), std::string::npos) << message;
    EXPECT_NE(message.find("field Picture"), std::string::npos) << message;
    EXPECT_NE(message.find("32768"), std::string::npos) << message;

    data.Picture.clear();
    arm->SetPartData(data);
    typSubPartData sub = rooms.GetRoomByName("Robot Base é")->SubParts(2).SubPartData();
    sub.Description = std::string(40000, 'd');
    rooms.GetRoomByName("Robot Base é")->SubParts(2).SetSubPartData(sub);
    message = ErrorOf([&] { rooms.Save(path); }, ErrorCode::InvalidArgument);
    EXPECT_NE(message.find("room 1 \"Robot Base é\", subpart 2 \"Right Arm\", field Description"),
              std::string::npos)
        << message;

    sub.Description.clear();
    rooms.GetRoomByName("Robot Base é")->SubParts(2).SetSubPartData(sub);
    typMotorMasks masks = arm->MotorMasks();
    masks.VBScript = std::string(70000, 'v');
    arm->SetMotorMasks(masks);
    message = ErrorOf([&] { rooms.Save(path); }, ErrorCode::InvalidArgument);
    EXPECT_NE(message.find("\"Arm\", motor mask table, field VBScript"), std::string::npos)
        << message;

    EXPECT_EQ(ReadBytes(path), saved);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"robot.bot"});
}

TEST(RobotFileSave, FailuresLeaveTheDiskAsItWas) {
    ScratchFolder folder;
    clsRooms empty;
    ErrorOf([&] { empty.Save(folder.File("none.bot")); }, ErrorCode::MissingObject);

    clsRooms rooms;
    testing::BuildFixture(rooms);
    // A folder in the way of the target: nothing replaces it and no temporary file stays.
    std::filesystem::create_directory(folder.Path() / "taken.bot");
    std::string message =
        ErrorOf([&] { rooms.Save(folder.File("taken.bot")); }, ErrorCode::FileError);
    EXPECT_NE(message.find("taken.bot"), std::string::npos) << message;
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "taken.bot"));
    ErrorOf([&] { rooms.Save(folder.File("missing/robot.bot")); }, ErrorCode::FileError);

    // A subpart that uses no room cannot be named in the file.
    const std::string path = folder.File("robot.bot");
    WriteBytes(path, "old");
    auto orphan = std::make_shared<clsSubPart>();
    orphan->SetName("Orphan");
    rooms.GetRoomByName("Spare")->AttachSubPart(orphan);
    message = ErrorOf([&] { rooms.Save(path); }, ErrorCode::MissingObject);
    EXPECT_NE(message.find("Orphan"), std::string::npos) << message;
    EXPECT_EQ(ReadBytes(path), "old");

    std::vector<std::string> entries = folder.Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"robot.bot", "taken.bot"}));
}

TEST(RobotFileSave, SavedFileKeepsThePermissionsOfTheFileItReplaces) {
    ScratchFolder folder;
    const std::string path = folder.File("robot.bot");
    WriteBytes(path, "old");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    clsRooms rooms;
    testing::BuildFixture(rooms);
    rooms.Save(path);
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

TEST(RobotFileSave, AWriteProtectedFileIsNotReplaced) {
    ScratchFolder folder;
    const std::string path = folder.File("kept.bot");
    WriteBytes(path, "old");
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    clsRooms rooms;
    testing::BuildFixture(rooms);
    const std::string message = ErrorOf([&] { rooms.Save(path); }, ErrorCode::FileError);
    EXPECT_NE(message.find("\"" + path + "\": the file is write-protected"), std::string::npos)
        << message;
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"kept.bot"}));
    // Once writing is allowed again the same save goes through.
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    rooms.Save(path);
    EXPECT_NE(ReadBytes(path), "old");
}

TEST(RobotFileLoad, PathsThatCannotBeReadAreFileErrorsAndChangeNothing) {
    ScratchFolder folder;
    clsRooms rooms;
    testing::BuildFixture(rooms);
    const auto before = Snapshot(rooms);
    ErrorOf([&] { rooms.Load(folder.File("absent.bot")); }, ErrorCode::FileError);
    ErrorOf([&] { rooms.Load(folder.Path().string()); }, ErrorCode::FileError);
    EXPECT_TRUE(testing::SameAs(before, Snapshot(rooms)));
}

TEST(RobotFileLoad, FilesLargerThanAnyRobotAreRefusedBeforeTheyAreRead) {
    ScratchFolder folder;
    const std::string path = folder.File("huge.bot");
    WriteBytes(path, "");
    std::filesystem::resize_file(path, kMaxRobotFileBytes + 1);  // sparse: takes no disk space
    clsRooms rooms;
    testing::BuildFixture(rooms);
    const auto before = Snapshot(rooms);
    const std::string message = ErrorOf([&] { rooms.Load(path); }, ErrorCode::FileFormat);
    EXPECT_NE(message.find("at most " + std::to_string(kMaxRobotFileBytes) + " bytes"),
              std::string::npos)
        << message;
    EXPECT_TRUE(testing::SameAs(before, Snapshot(rooms)));
}

TEST(RobotFileStructure, CyclesOfUsesAreRefused) {
    ExpectLoadRefused(EncodeRobot(testing::RobotOfUses({"Loop"}, {{"Loop"}})),
                      {"cycle", "\"Loop\" uses \"Loop\""});
    ExpectLoadRefused(
        EncodeRobot(testing::RobotOfUses({"Top", "A", "B", "C"}, {{"A"}, {"B"}, {"C"}, {"A"}})),
        {"cycle", "\"A\" uses \"B\" uses \"C\" uses \"A\""});
}

TEST(RobotFileStructure, ExponentiallyExpandingRobotIsRefused) {
    // Each of forty rooms uses the next one twice: 2^40 occurrences in a file of a few KB.
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> uses;
    for (int i = 0; i < 40; ++i) names.push_back("Level " + std::to_string(i));
    for (int i = 0; i < 40; ++i)
        uses.push_back(i + 1 < 40 ? std::vector<std::string>{names[i + 1], names[i + 1]}
                                  : std::vector<std::string>{});
    ExpectLoadRefused(EncodeRobot(testing::RobotOfUses(names, uses)),
                      {"expand to more than " + std::to_string(kMaxExpandedPartOccurrences),
                       "room \"Level 0\" alone to more than", "reasonable time"});
}

TEST(RobotFileStructure, ExpansionLimitHoldsExactly) {
    // Hub uses Spoke 998 times, Spoke uses Leaf 999 times: Hub expands to 1 + 998 * 1000
    // occurrences, Spoke to 1000, Leaf to 1; padding rooms of 1 each bring the total to the
    // limit exactly.
    std::vector<std::string> names = {"Hub", "Spoke", "Leaf"};
    std::vector<std::vector<std::string>> uses = {
        std::vector<std::string>(998, "Spoke"), std::vector<std::string>(999, "Leaf"), {}};
    const std::uint64_t used = 1 + 998 * 1000 + 1000 + 1;
    for (std::uint64_t i = used; i < kMaxExpandedPartOccurrences; ++i) {
        names.push_back("Pad " + std::to_string(i));
        uses.emplace_back();
    }
    const typWrapRooms atLimit = testing::RobotOfUses(names, uses);
    EXPECT_NO_THROW(CheckRobotStructure(atLimit, "limit"));
    names.push_back("One too many");
    uses.emplace_back();
    const std::string message =
        ErrorOf([&] { CheckRobotStructure(testing::RobotOfUses(names, uses), "limit"); },
                ErrorCode::FileFormat);
    EXPECT_NE(message.find("room \"Hub\" alone to 998001"), std::string::npos) << message;
}

TEST(RobotFileStructure, RobotsTheCollectionCannotRebuildAreRefused) {
    Bytes noRooms;
    noRooms.Unallocated();
    ExpectLoadRefused(noRooms.Str(), {"holds no part rooms"});
    Bytes zeroRooms;
    zeroRooms.Array(0, 1);
    ExpectLoadRefused(zeroRooms.Str(), {"holds no part rooms"});

    typWrapRooms robot = testing::RobotOfUses({"A", "B"}, {{"B"}, {}});
    robot.Rooms = VbArray<typWrapRoom>(2, robot.Rooms.Items());
    ExpectLoadRefused(EncodeRobot(robot), {"numbered from 2", "room 1 is missing"});

    ExpectLoadRefused(EncodeRobot(testing::RobotOfUses({"Twin", "Twin"}, {{}, {}})),
                      {"rooms 1 and 2 are both named \"Twin\""});
    ExpectLoadRefused(
        EncodeRobot(testing::RobotOfUses({"A", "Ghost"}, {{"Nobody"}, {}})),
        {"\"use1\" of room \"A\" uses the room \"Nobody\", which is not in the file"});

    robot = testing::RobotOfUses({"Hand", "Finger"}, {{"Finger", "Finger"}, {}});
    robot.Rooms(1).SubParts(2).Name = "USE1";
    ExpectLoadRefused(EncodeRobot(robot),
                      {"subparts 1 and 2 of room \"Hand\" are both named \"USE1\""});

    robot = testing::RobotOfUses({"Hand", "Finger"}, {{"Finger"}, {}});
    robot.Rooms(1).SubParts = VbArray<typSubPartData>(2, robot.Rooms(1).SubParts.Items());
    ExpectLoadRefused(EncodeRobot(robot), {"subparts of room \"Hand\" are numbered from 2"});
}

TEST(RobotFileStructure, ElementsBelowIndexOneAreNeverRead) {
    // Element 0 of Rooms and of SubParts is skipped on loading, whatever it holds.
    typWrapRooms robot = testing::RobotOfUses({"Ignored", "A", "B"}, {{"Nowhere"}, {"B"}, {}});
    robot.Rooms = VbArray<typWrapRoom>(0, robot.Rooms.Items());
    typSubPartData ignored;
    ignored.Name = "use1";  // same key as the real subpart
    ignored.SavePartName = "Nowhere";
    robot.Rooms(1).SubParts = VbArray<typSubPartData>(0, {ignored, robot.Rooms(1).SubParts(1)});
    ScratchFolder folder;
    WriteBytes(folder.File("r.bot"), EncodeRobot(robot));
    clsRooms rooms;
    rooms.Load(folder.File("r.bot"));
    ASSERT_EQ(rooms.TotalRooms, 2);
    EXPECT_EQ(rooms.Rooms(1)->Name(), "A");
    ASSERT_EQ(rooms.Rooms(1)->SubParts.Count(), 1);
    EXPECT_EQ(rooms.Rooms(1)->SubParts(1).Part, rooms.Rooms(2));
}

TEST(RobotFileDecode, DamageIsReportedWithItsByteOffsetAndReason) {
    // One room "A" using itself: Rooms header at 0 (count at 2, lower bound at 6), the room's
    // Name length at 10, its Size array at 17; its part record ends at 209, where its
    // SubParts array begins. Decoding alone does not look at the uses.
    const std::string good = EncodeRobot(testing::RobotOfUses({"A"}, {{"A"}}));
    const auto patched = [&](std::size_t at, std::initializer_list<unsigned char> values) {
        std::string bytes = good;
        for (const unsigned char v : values) bytes[at++] = static_cast<char>(v);
        return bytes;
    };
    const auto expectDamage = [](const std::string& bytes, const std::string& where,
                                 const std::string& why) {
        const std::string message =
            ErrorOf([&] { DecodeRobot(bytes, "damaged.bot"); }, ErrorCode::FileFormat);
        EXPECT_NE(message.find("\"damaged.bot\""), std::string::npos) << message;
        EXPECT_NE(message.find(where), std::string::npos) << message;
        EXPECT_NE(message.find(why), std::string::npos) << message;
    };
    expectDamage(patched(0, {2, 0}), "at byte 0 (field Rooms)", "2 dimensions");
    expectDamage(patched(0, {0xff, 0xff}), "at byte 0", "-1 dimensions");
    expectDamage(patched(2, {0xff, 0xff, 0xff, 0xff}), "at byte 2", "count -1 is negative");
    expectDamage(patched(2, {0xff, 0xff, 0xff, 0x7f}), "at byte 2",
                 "announces 2147483647 elements");
    expectDamage(patched(10, {0xfe, 0xff}), "at byte 10 (room 1, field Name)",
                 "text length -2 is negative");
    expectDamage(patched(10, {0x30, 0x75}), "at byte 10", "announces 30000 bytes");
    expectDamage(patched(17, {3, 0}), "at byte 17 (room 1, field Size)", "3 dimensions");
    expectDamage(patched(209, {1, 0, 2, 0, 0, 0}), "at byte 211 (room 1, field SubParts)",
                 "announces 2 elements of at least 156 bytes");
    std::string twoRooms = EncodeRobot(testing::RobotOfUses({"A", "B"}, {{}, {}}));
    twoRooms.replace(6, 4, "\xff\xff\xff\x7f");
    expectDamage(twoRooms, "at byte 2 (field Rooms)", "beyond the largest 32-bit index");
    // Counts are checked against the bytes left before the elements are read.
    expectDamage(good.substr(0, 200), "at byte 2 (field Rooms)",
                 "announces 1 elements of at least 216 bytes each, but only 190 bytes are left");
    // The mask table is the end of the file: Masks at 380, its texts at 390, 392 and 394.
    ASSERT_EQ(good.size(), 396u);
    expectDamage(good.substr(0, 391), "at byte 390 (room 1, motor mask table, field XMLScript)",
                 "the file ends here; 2 more bytes were expected");
    expectDamage("", "at byte 0", "the file ends here");
}

}  // namespace
}  // namespace torvane

// The robot-file loader on any bytes: a load that fails leaves the open document exactly as it
// was, and a robot that loads is saved and loaded again without a byte changing.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "model/Error.h"
#include "model/RobotFile.h"
#include "model/clsRooms.h"
#include "model/clsSubPart.h"

namespace {

using namespace torvane;

std::string Scratch(const char* what) {
    return "/tmp/robotfile_fuzz." + std::to_string(::getpid()) + "." + what + ".bot";
}

void WriteAll(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// The document open when the file is loaded: two rooms, one using the other, with a motor.
void OpenDocument(clsRooms& rooms) {
    std::string name = "Base";
    rooms.CreatePartRoom(name, true);
    name = "Arm";
    rooms.CreatePartRoom(name, false);
    typPartData arm = rooms.Rooms(2)->PartData();
    arm.MotorType = MotorTypeOf(MotorKind::Rotational);
    arm.MotorDimension = 2;
    rooms.SetPartRecord(*rooms.Rooms(2), arm);
    auto sub = std::make_shared<clsSubPart>();
    sub->SetName("Arm");
    sub->Part = rooms.Rooms(2);
    rooms.AttachSubPart(*rooms.Rooms(1), sub);
}

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "robotfile_fuzz: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    clsRooms rooms;
    OpenDocument(rooms);
    const std::string before = EncodeRobot(rooms.AllData());
    const std::string input = Scratch("input");
    WriteAll(input, data, size);
    try {
        rooms.Load(input);
    } catch (const Error&) {
        if (EncodeRobot(rooms.AllData()) != before) Fail("a failed load changed the document");
        return 0;
    }
    // Saved, loaded again and saved once more, the robot keeps every byte.
    const std::string first = Scratch("first");
    rooms.Save(first);
    clsRooms again;
    again.Load(first);
    const std::string second = Scratch("second");
    again.Save(second);
    std::ifstream a(first, std::ios::binary), b(second, std::ios::binary);
    const std::string bytesA((std::istreambuf_iterator<char>(a)), {});
    const std::string bytesB((std::istreambuf_iterator<char>(b)), {});
    if (bytesA != bytesB) Fail("a loaded robot changed through save and load");
    return 0;
}

// Saving and loading the room collection as a robot file. The byte format and its checks live
// in RobotFile; this file only connects them to the collection.

#include <new>

#include "model/Error.h"
#include "model/RobotFile.h"
#include "model/clsRooms.h"

namespace torvane {

void clsRooms::Save(const std::string& InPath) {
    if (TotalRooms < 1) Raise(ErrorCode::MissingObject, "The robot holds no part room to save.");
    // What could not be opened again is not written.
    RequireWithinLimits("be saved");
    // Every subpart records the name of the room it uses. Each room of the collection is
    // visited once, rather than once per use through the trees, so a robot with a deep,
    // much-shared structure is saved in time proportional to its size. A subpart that uses no
    // room fails here, before the file is touched.
    for (std::int32_t i = 1; i <= TotalRooms; ++i) {
        const auto room = Rooms(i);
        for (const auto& sub : room->SubParts) {
            if (!sub->Part)
                Raise(ErrorCode::MissingObject, "The subpart \"" + sub->Name() +
                                                    "\" of the part room \"" + room->Name() +
                                                    "\" uses no part room.");
            sub->SetSavePartName(sub->Part->Name());
        }
    }
    WriteRobotFile(InPath, AllData());
}

void clsRooms::Load(const std::string& InPath) {
    // Read and check the whole file first; the collection changes only once everything
    // has been built and linked aside. Running out of memory on the way is reported like any
    // other file that cannot be loaded, with the document as it was.
    try {
        ReplaceAllData(ReadRobotFile(InPath));
    } catch (const std::bad_alloc&) {
        Raise(ErrorCode::FileError, "The robot file \"" + InPath +
                                        "\" is too large to load in the memory available. "
                                        "Nothing was loaded.");
    }
}

}  // namespace torvane

#pragma once
// Helpers shared by the model tests: rooms and subparts built in one line, error codes.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/Error.h"
#include "model/IShapes.h"
#include "model/clsPartRoom.h"

namespace torvane::testing {

inline std::shared_ptr<clsPartRoom> MakeRoom(const std::string& name, std::int16_t motorType = 0,
                                             std::int16_t motorDimension = 1) {
    auto room = std::make_shared<clsPartRoom>();
    room->Init(false);
    typPartData data = room->PartData();
    data.Name = name;
    data.MotorType = motorType;
    data.MotorDimension = motorDimension;
    room->SetPartData(data);
    return room;
}

inline std::shared_ptr<clsSubPart> MakeSub(const std::string& name,
                                           const std::shared_ptr<clsPartRoom>& uses = nullptr) {
    auto sub = std::make_shared<clsSubPart>();
    sub->SetName(name);
    sub->Part = uses;
    return sub;
}

// Attaches a new subpart named name that uses `uses` to parent.
inline void Use(clsPartRoom& parent, const std::string& name,
                const std::shared_ptr<clsPartRoom>& uses) {
    parent.AttachSubPart(MakeSub(name, uses));
}

inline std::vector<std::string> SubNames(const clsPartRoom& room) {
    std::vector<std::string> names;
    for (const auto& sub : room.SubParts) names.push_back(sub->Name());
    return names;
}

template <typename F>
ErrorCode CodeOf(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.Code();
    }
    ADD_FAILURE() << "no error";
    return ErrorCode::ScriptError;
}

template <typename F>
std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    ADD_FAILURE() << "no error";
    return {};
}

// A shapes object that draws nothing; the collection only hands it on.
class NullShapes final : public IShapes {
  public:
    void SelectShape(DoubleArray&, std::string&, DoubleArray&, std::string&,
                     std::string&) override {}
    void DrawAxes(std::int16_t, std::int16_t, std::int16_t, double) override {}
    bool ShowAxis() const override { return false; }
    void SetShowAxis(bool) override {}
    bool ShowGrids() const override { return false; }
    void SetShowGrids(bool) override {}
    std::string ShapeNames() const override { return "box"; }
    void SetShapeNames(const std::string&) override {}
};

}  // namespace torvane::testing

#pragma once
// One use of a part room inside another: where the used room sits in its parent's frame,
// under which name, and a shared reference to the room itself (never a copy, so a change
// to the room shows at every place that uses it).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/NameWatch.h"
#include "model/Records.h"

namespace torvane {

class clsPartRoom;

class clsSubPart {
  public:
    // The part room this subpart uses; empty until attached or relinked after loading.
    std::shared_ptr<clsPartRoom> Part;
    // A picture the host keeps for this use (for example a shared_ptr to its image type);
    // the model never looks at it.
    std::shared_ptr<void> SnapShot;
    // Set by the placement walk: this use is drawn highlighted.
    bool IsActive = false;
    // True only for the wrapper the program makes around the active room for drawing.
    bool IsRoot = false;
    // On the root wrapper: the selected subpart of the room, 1-based; 0 = none.
    std::int32_t ActiveSubPart = 0;
    // On the root wrapper, the steps from ActiveSubPart down to a subpart further down its tree
    // that is the selection; set by the placement walk on each use on the way there (the steps
    // left from that use), empty elsewhere.
    std::vector<std::int32_t> SelectedBelow;
    // Set by the placement walk: this use lies inside the selected subpart.
    bool IsActiveChild = false;

    // The subpart lists that find this subpart by name, told when the name changes.
    NameWatch Names;

    clsSubPart() = default;
    explicit clsSubPart(typSubPartData InData) : data_(std::move(InData)) {}

    // A full copy of the record in either direction.
    typSubPartData SubPartData() const { return data_; }
    void SetSubPartData(const typSubPartData& InData) {
        const bool renamed = InData.Name != data_.Name;
        data_ = InData;
        if (renamed) Names.Changed();
    }

    const std::string& Name() const { return data_.Name; }
    void SetName(const std::string& InName) {
        if (InName == data_.Name) return;
        data_.Name = InName;
        Names.Changed();
    }

    // The name of the used room as written before saving and read after loading.
    const std::string& SavePartName() const { return data_.SavePartName; }
    void SetSavePartName(const std::string& InName) { data_.SavePartName = InName; }

  private:
    typSubPartData data_;
};

}  // namespace torvane

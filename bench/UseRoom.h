#pragma once
// The benchmarks' robots are built of uses: room used in parent as "use <index>" at (x, y, 0).

#include <memory>
#include <string>

#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"

namespace mechanon::bench {

inline void UseRoom(torvane::clsPartRoom& parent, const std::shared_ptr<torvane::clsPartRoom>& room,
                    int index, double x, double y) {
    auto sub = std::make_shared<torvane::clsSubPart>();
    auto data = sub->SubPartData();
    data.Name = "use " + std::to_string(index);
    data.RelativePosition = {x, y, 0};
    sub->SetSubPartData(data);
    sub->Part = room;
    parent.AttachSubPart(sub);
}

}  // namespace mechanon::bench

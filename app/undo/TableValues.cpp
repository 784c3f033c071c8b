#include "app/undo/TableValues.h"

#include "app/undo/HistoryBytes.h"
#include "model/Error.h"

namespace mechanon {
namespace {

// True when the table holds exactly its masks: nothing but their values is left to keep.
bool Compact(const torvane::typMotorMasks& table) {
    const auto count = static_cast<std::int32_t>(table.Masks.Count());
    return table.Masks.IsAllocated() && table.Masks.LBound() == 1 && count == table.TotalMasks;
}

}  // namespace

TableValues::TableValues(const torvane::clsRooms::MotorTables& tables) {
    for (const auto& [room, table] : tables) {
        if (!Compact(table)) {
            whole_.emplace_back(room, table);
            continue;
        }
        Sparse kept{room, table.TotalMasks, {}};
        const auto& masks = table.Masks.Items();
        for (std::size_t i = 0; i < masks.size(); ++i)
            if (masks[i].Value != 0)
                kept.values.emplace_back(static_cast<std::int32_t>(i), masks[i].Value);
        kept.values.shrink_to_fit();
        sparse_.push_back(std::move(kept));
    }
    whole_.shrink_to_fit();
    sparse_.shrink_to_fit();
}

void TableValues::Restore() const {
    for (const Sparse& kept : sparse_) {
        const torvane::typMotorMasks now = kept.room->MotorMasks();
        if (!Compact(now) || now.TotalMasks != kept.masks)
            torvane::Raise(torvane::ErrorCode::InvalidArgument,
                           "The motor table of \"" + kept.room->Name() +
                               "\" no longer has the motors it had.");
    }
    for (const Sparse& kept : sparse_) {
        torvane::typMotorMasks table = kept.room->MotorMasks();
        auto& masks = table.Masks.Items();
        for (auto& mask : masks) mask.Value = 0;
        for (const auto& [index, value] : kept.values)
            masks[static_cast<std::size_t>(index)].Value = value;
        kept.room->SetMotorMasks(table);
    }
    torvane::clsRooms::RestoreMotorTables(whole_);
}

std::size_t TableValues::Bytes() const {
    std::size_t bytes = sizeof(*this) + sparse_.capacity() * sizeof(Sparse) + HistoryBytes(whole_);
    for (const Sparse& kept : sparse_)
        bytes += kept.values.capacity() * sizeof(kept.values.front());
    return bytes;
}

}  // namespace mechanon

#include "app/undo/HistoryBytes.h"

namespace mechanon {
namespace {

// Only what a text holds beyond the string object itself: the object is part of its record.
std::size_t Owned(const std::string& text) {
    return text.capacity() > std::string().capacity() ? text.capacity() + 1 : 0;
}

template <typename T>
std::size_t Owned(const torvane::VbArray<T>& array) {
    return array.Items().capacity() * sizeof(T);
}

}  // namespace

std::size_t HistoryBytes(const std::string& text) {
    return sizeof(text) + Owned(text);
}

std::size_t HistoryBytes(const torvane::typPartData& r) {
    return sizeof(r) + Owned(r.Name) + Owned(r.ParentName) + Owned(r.ShapeName) + Owned(r.Size) +
           Owned(r.ShapeColor) + Owned(r.JointAngles) + Owned(r.Description) + Owned(r.BlankXML) +
           Owned(r.Picture);
}

std::size_t HistoryBytes(const torvane::typSubPartData& r) {
    return sizeof(r) + Owned(r.Name) + Owned(r.SavePartName) + Owned(r.Description) +
           Owned(r.BlankXML) + Owned(r.JointAngles) + Owned(r.Picture);
}

std::size_t HistoryBytes(const torvane::typMotorMasks& t) {
    std::size_t bytes = sizeof(t) + Owned(t.Masks) + Owned(t.XMLScript) + Owned(t.VBScript) +
                        Owned(t.XMLProperties);
    for (const torvane::typMotorMask& mask : t.Masks.Items()) bytes += Owned(mask.Name);
    return bytes;
}

std::size_t HistoryBytes(const torvane::clsRooms::MotorTables& tables) {
    std::size_t bytes = tables.capacity() * sizeof(tables.front());
    for (const auto& [room, table] : tables) bytes += HistoryBytes(table) - sizeof(table);
    return bytes;
}

std::size_t OwnedBytes(const torvane::typPartData& record) {
    return HistoryBytes(record) - sizeof(record);
}

std::size_t OwnedBytes(const torvane::typSubPartData& record) {
    return HistoryBytes(record) - sizeof(record);
}

std::size_t OwnedBytes(const torvane::typMotorMasks& table) {
    return HistoryBytes(table) - sizeof(table);
}

std::size_t HistoryBytes(const torvane::clsPartRoom& room) {
    std::size_t bytes = sizeof(room) + OwnedBytes(room.PartData()) + OwnedBytes(room.MotorMasks());
    for (const auto& sub : room.SubParts)
        bytes += sizeof(sub) + sizeof(*sub) + OwnedBytes(sub->SubPartData());
    return bytes;
}

std::size_t HistoryBytes(const torvane::clsRooms& rooms) {
    std::size_t bytes = sizeof(rooms);
    for (std::int32_t i = 1; i <= rooms.TotalRooms; ++i) bytes += HistoryBytes(*rooms.Rooms(i));
    return bytes;
}

}  // namespace mechanon
